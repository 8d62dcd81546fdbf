#include "imaging/system_reason.h"

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
    case EINVAL:  // what reading or replacing a FIFO, a device or a socket reports here
      return "普通のファイルではありません (名前付きパイプや装置など)";
    case ELOOP:
      return "シンボリックリンクが多すぎるか、輪になっています";
    case ENXIO:
    case ENODEV:
      return "装置が見つかりません";
    case ETXTBSY:
    case EBUSY:
      return "ほかのプログラムが使用中です";
    case EMFILE:
    case ENFILE:
      return "開いているファイルが多すぎます";
    case ENOMEM:
      return "メモリが不足しています";
    case EFBIG:
      return "ファイルが大きすぎます";
    case EXDEV:
      return "別のファイルシステムをまたいでいます";
    default:
      return std::string("システムのエラーが起きました (") + std::strerror(code) + ")";
  }
}

}  // namespace rumora
