#include "app/system_reason.h"

#include <cerrno>
#include <cstring>

namespace rumora {

std::string SystemReason(int code) {
  switch (code) {
    case ENOENT:
      return "ファイルまたはフォルダが見つかりません";
    case EACCES:
    case EPERM:
      return "アクセスが許可されていません";
    case EROFS:
      return "読み取り専用のファイルシステムです";
    case ENOSPC:
      return "ディスクの空き容量が足りません";
    case EDQUOT:
      return "ディスクの使用量の上限 (クォータ) を超えています";
    case EISDIR:
      return "ファイルではなくフォルダです";
    case ENAMETOOLONG:
      return "名前が長すぎます";
    case EIO:
      return "入出力エラーが起きました";
    case ENOTDIR:
      return "パスの途中にフォルダでないものがあります";
    default:
      return std::strerror(code);
  }
}

}  // namespace rumora
