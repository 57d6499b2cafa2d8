#include "server/stock_names.h"

#include <algorithm>
#include <array>
#include <numeric>

#include "net/text_util.h"

namespace velloran::server {
namespace {

constexpr std::array<const char16_t*, 48> kPrefixes = {
    u"한빛",   u"대성", u"동양", u"삼화", u"신성", u"태영", u"우성",   u"금강", u"세진", u"한일",
    u"대한",   u"미래", u"국제", u"동방", u"제일", u"광명", u"서해",   u"남해", u"백산", u"청호",
    u"은하",   u"한솔", u"대원", u"영진", u"성호", u"보람", u"한길",   u"새한", u"동진", u"가람",
    u"푸른",   u"한결", u"누리", u"다온", u"해솔", u"온새", u"한마루", u"대림", u"진성", u"수림",
    u"하나로", u"동아", u"삼정", u"경인", u"호남", u"중앙", u"신흥",   u"일진"};
constexpr std::array<const char16_t*, 6> kMiddles = {u"",     u"글로벌", u"케이",
                                                     u"에스", u"씨앤",   u"티"};
constexpr std::array<const char16_t*, 32> kSuffixes = {
    u"전자", u"화학",   u"제약", u"건설",   u"바이오",   u"반도체",   u"식품",       u"중공업",
    u"통신", u"금속",   u"정밀", u"에너지", u"소재",     u"테크",     u"시스템",     u"물산",
    u"산업", u"홀딩스", u"엔터", u"게임즈", u"로보틱스", u"해운",     u"제지",       u"섬유",
    u"전기", u"기계",   u"철강", u"유통",   u"증권",     u"생명과학", u"디스플레이", u"모빌리티"};

constexpr std::array<const char16_t*, 8> kEtfBrands = {u"VELLO",   u"한빛ETF", u"누리", u"KOA",
                                                       u"대성ETF", u"HANA",    u"SOL",  u"PLUS"};
constexpr std::array<const char16_t*, 20> kEtfThemes = {
    u" 200",       u" 코스닥150", u" 반도체",    u" 2차전지",    u" 미국S&P500",
    u" 나스닥100", u" 고배당",    u" 국고채3년", u" 레버리지",   u" 인버스",
    u" 헬스케어",  u" 은행",      u" 자동차",    u" 조선",       u" 게임",
    u" 배당성장",  u" 금선물",    u" 단기채권",  u" 중국CSI300", u" 인공지능"};

std::vector<std::u16string> Draw(int count, SimRandom& rng, std::size_t pool, auto&& name_of) {
  std::vector<std::uint32_t> order(pool);
  std::iota(order.begin(), order.end(), 0u);
  for (std::size_t i = order.size(); i > 1; --i) std::swap(order[i - 1], order[rng.Below(i)]);
  std::vector<std::u16string> names;
  names.reserve(count);
  for (int i = 0; i < count; ++i) {
    // Past the pool, a numbered series keeps names unique.
    std::u16string name = name_of(order[i % pool]);
    if (static_cast<std::size_t>(i) >= pool) name += FormatInt(i / pool + 1);
    names.push_back(std::move(name));
  }
  return names;
}

}  // namespace

std::vector<std::u16string> CompanyNames(int count, SimRandom& rng) {
  const std::size_t pool = kPrefixes.size() * kMiddles.size() * kSuffixes.size();
  return Draw(count, rng, pool, [](std::uint32_t k) {
    std::u16string name = kPrefixes[k % kPrefixes.size()];
    name += kMiddles[k / kPrefixes.size() % kMiddles.size()];
    name += kSuffixes[k / (kPrefixes.size() * kMiddles.size())];
    return name;
  });
}

std::vector<std::u16string> EtfNames(int count, SimRandom& rng) {
  const std::size_t pool = kEtfBrands.size() * kEtfThemes.size();
  return Draw(count, rng, pool, [](std::uint32_t k) {
    return std::u16string(kEtfBrands[k % kEtfBrands.size()]) + kEtfThemes[k / kEtfBrands.size()];
  });
}

std::u16string NewsHeadline(SimRandom& rng) {
  constexpr std::array<const char16_t*, 12> kNews = {
      u"대규모 공급계약 체결", u"신제품 출시 발표", u"최대 실적 발표",      u"해외 수주 공시",
      u"신약 임상 결과 발표",  u"자사주 매입 결정", u"정부 정책 수혜 기대", u"기술 특허 취득",
      u"전략적 제휴 발표",     u"무상증자 결정",    u"흑자 전환 전망",      u"인수합병 추진"};
  return kNews[rng.Below(kNews.size())];
}

}  // namespace velloran::server
