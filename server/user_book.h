#pragma once
// The demo market's subscribers: ID and password pairs (from a users file or
// the one default user demo/demo) and each user's start-up data, drawn from
// the seed and the ID: saved screens, price alarms, the closing-price watch
// list and memos.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/market.h"

namespace velloran::server {

// The rules a saved screen can stand for; their results change with the market.
enum class SavedRule { kTopRate = 0, kTopVolume = 1, kKosdaqReverse = 2 };
inline constexpr int kSavedRuleCount = 3;

struct SavedScreen {
  int seq = 0;
  int srt = 0;
  std::u16string grp;
  SavedRule rule = SavedRule::kTopRate;
};

struct Alarm {
  int seq = 0;
  int stock = 0;
  int price = 0, price2 = 0;   // PRC, PRC1
  std::u16string time, time2;  // DT, DT1: when set, then when reached
  bool hit = false, hit2 = false;
};

struct ClosingItem {
  int stock = 0;
  int srt = 0;
  int date = 0;
};

struct Memo {
  int stock = 0;
  std::u16string text;
};

struct UserData {
  std::string id, password;  // UTF-8
  std::vector<SavedScreen> screens;
  std::vector<Alarm> alarms;
  std::vector<ClosingItem> closing;
  std::vector<Memo> memos;
};

// Reads "ID PASSWORD" lines (blank or tab separated; empty lines and lines
// starting with "#" are skipped). A malformed line gives none and a message
// naming its number.
[[nodiscard]] std::optional<std::vector<std::pair<std::string, std::string>>> ParseUsers(
    std::string_view text, std::string& error);

class UserBook {
 public:
  // Builds every user's data from the market; an empty list means demo/demo.
  UserBook(std::vector<std::pair<std::string, std::string>> users, const Market& market);

  [[nodiscard]] UserData* Find(std::string_view id);
  [[nodiscard]] const UserData* Find(std::string_view id) const;
  [[nodiscard]] bool CheckPassword(std::string_view id, std::string_view password) const;
  [[nodiscard]] std::vector<UserData>& users() { return users_; }

  // The hello answer's lists: MYS, ALM, JONGA lines and the memo entries
  // (before encoding).
  static std::u16string SavedScreenLines(const UserData& user);
  static std::u16string AlarmLines(const UserData& user, const Market& market);
  static std::u16string ClosingLines(const UserData& user, const Market& market);
  static std::u16string MemoEntries(const UserData& user, const Market& market);

 private:
  std::vector<UserData> users_;
};

}  // namespace velloran::server
