#include "batch/numbered_name.h"

#include <gtest/gtest.h>

#include <set>

namespace rumora {
namespace {

TEST(NumberedName, CountsOnKeepingTheDigitsWidth) {
  const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
      {"item-07.jpg", "item-08.jpg"},
      {"item-09.jpg", "item-10.jpg"},
      {"a9.jpg", "a10.jpg"},
      {"x-99.jpg", "x-100.jpg"},
      {"0999.jpg", "1000.jpg"},
      {"shot2024.05", "shot2025.05"},
      {"v2", "v3"},
      {"item.jpg", std::nullopt},
      {"7.", "8."},
      {"photo.jpg7", std::nullopt},
      {".42", ".43"},
      {"", std::nullopt}};
  for (const auto& [name, next] : cases) EXPECT_EQ(NextNumberedName(name), next) << name;
}

TEST(NumberedName, SkipsNamesTakenAndNeverReusesOne) {
  const std::set<std::string> taken = {"/f/item-08.jpg", "/f/item-09.jpg", "/f/a.jpg",
                                       "/f/a-2.jpg"};
  const PathTaken isTaken = [&](const std::string& path) { return taken.count(path) > 0; };
  EXPECT_EQ(NextFreeNumberedName("/f/", "item-07.jpg", isTaken), "item-10.jpg");
  EXPECT_EQ(NextFreeNumberedName("/f/", "item.jpg", isTaken), std::nullopt);
  EXPECT_EQ(NextFreeNumberedName("/f/", "n1.jpg", [](const std::string&) { return true; }),
            std::nullopt);
  EXPECT_EQ(UnusedName("/f/", "b.jpg", isTaken), "b.jpg");
  EXPECT_EQ(UnusedName("/f/", "a.jpg", isTaken), "a-3.jpg");
}

}  // namespace
}  // namespace rumora
