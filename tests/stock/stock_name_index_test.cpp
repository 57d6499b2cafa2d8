// The stock names as the search compares them: upper case as the system maps
// it, and every name with a prefix found together whatever the raw order.

#include <gtest/gtest.h>

#include <vector>

#include "net/packet.h"
#include "stock/stock_name_index.h"

namespace velloran {
namespace {

std::unique_ptr<Packet> Master(std::u16string_view code, std::u16string_view name) {
  auto p = std::make_unique<Packet>(3002);
  p->AddText(u"SHCODE", code);
  p->AddText(u"HNAME", name);
  return p;
}

TEST(StockNameIndexTest, FindsEveryNameOfAPrefixInUpperCaseOrder) {
  EXPECT_EQ(UpperName(u"naver ｌｇ élan σκ мир 한글"), u"NAVER ＬＧ ÉLAN ΣΚ МИР 한글");
  EXPECT_EQ(UpperName(u"ÿ÷ς"), u"ÿ÷ς");

  std::vector<std::unique_ptr<Packet>> owned;
  for (const auto& [code, name] : std::vector<std::pair<std::u16string, std::u16string>>{
           {u"000660", u"Sk하이닉스"},
           {u"036530", u"SNT"},
           {u"011790", u"SKC"},
           {u"017670", u"SK텔레콤"},
           {u"035420", u"naver"},
           {u"005930", u"삼성전자"},
           {u"006400", u"삼성SDI"}}) {
    owned.push_back(Master(code, name));
  }
  std::vector<const Packet*> sources;
  for (const auto& p : owned) sources.push_back(p.get());
  StockNameIndex index;
  index.Build(sources);
  EXPECT_EQ(index.source_size(), 7u);

  auto codes = [&](std::u16string_view prefix) {
    std::vector<std::u16string> out;
    for (const StockName& e : index.Find(prefix)) out.push_back(e.code);
    return out;
  };
  EXPECT_EQ(codes(u"SK"), (std::vector<std::u16string>{u"011790", u"017670", u"000660"}));
  EXPECT_EQ(codes(u"S"), (std::vector<std::u16string>{u"011790", u"017670", u"000660", u"036530"}));
  EXPECT_EQ(codes(u"NAV"), (std::vector<std::u16string>{u"035420"}));
  EXPECT_EQ(codes(u"삼성"), (std::vector<std::u16string>{u"006400", u"005930"}));
  EXPECT_TRUE(codes(u"삼성전자우").empty());
  EXPECT_TRUE(codes(u"ZZ").empty());
  EXPECT_EQ(codes(u"").size(), 7u);
  // The name as it came is kept beside its key.
  EXPECT_EQ(index.Find(u"NAVER").front().name, u"naver");
}

}  // namespace
}  // namespace velloran
