#include "net/session_requests.h"

#include <gtest/gtest.h>

namespace velloran {
namespace {

TEST(SessionRequestsTest, EachRequestReadsExactly) {
  struct Row {
    Packet request;
    std::u16string text;
  };
  const Row rows[] = {
      {ScreenRequest(u"000660|005930|", 3005, 2, 1),
       u"<PKT><GBN>3014</GBN><P_SHCODES>000660|005930|</P_SHCODES><IDX>3005</IDX>"
       u"<MARKET>2</MARKET><CHK>1</CHK></PKT>"},
      // Only the past screen is asked for at a moment.
      {ScreenRequest(u"", 3016, 0, 0, u"20240105093100"),
       u"<PKT><GBN>3014</GBN><P_SHCODES></P_SHCODES><IDX>3016</IDX><MARKET>0</MARKET>"
       u"<CHK>0</CHK><HTIME>20240105093100</HTIME></PKT>"},
      {ScreenRequest(u"", 3007, 1, 0, u"20240105093100"),
       u"<PKT><GBN>3014</GBN><P_SHCODES></P_SHCODES><IDX>3007</IDX><MARKET>1</MARKET>"
       u"<CHK>0</CHK></PKT>"},
      {ScreenRequest(u"", 3016, 1, 1),
       u"<PKT><GBN>3014</GBN><P_SHCODES></P_SHCODES><IDX>3016</IDX><MARKET>1</MARKET>"
       u"<CHK>1</CHK></PKT>"},
      {BookRequest(u"005930", u"", u"1"),
       u"<PKT><GBN>3003</GBN><SHCODE>005930</SHCODE><P_SHOCODE></P_SHOCODE><MARKET>1</MARKET>"
       u"<SOC>1</SOC><KOA>1</KOA></PKT>"},
      {BookRequest(u"000660", u"005930", u"2"),
       u"<PKT><GBN>3003</GBN><SHCODE>000660</SHCODE><P_SHOCODE>005930</P_SHOCODE>"
       u"<MARKET>2</MARKET><SOC>1</SOC><KOA>1</KOA></PKT>"},
      // "D" and "m1" always ask for the full count, in either case.
      {ChartRequest(u"005930", u"D", 1),
       u"<PKT><GBN>3011</GBN><STKCD>005930</STKCD><TM>D</TM><CHART_ID>1</CHART_ID>"
       u"<CNT>1200</CNT></PKT>"},
      {ChartRequest(u"005930", u"M1", 2, 400),
       u"<PKT><GBN>3011</GBN><STKCD>005930</STKCD><TM>M1</TM><CHART_ID>2</CHART_ID>"
       u"<CNT>1200</CNT></PKT>"},
      {ChartRequest(u"005930", u"m5", 2, 400),
       u"<PKT><GBN>3011</GBN><STKCD>005930</STKCD><TM>m5</TM><CHART_ID>2</CHART_ID>"
       u"<CNT>400</CNT></PKT>"},
      {ChartRequest(u"005930", u"J", 3),
       u"<PKT><GBN>3011</GBN><STKCD>005930</STKCD><TM>J</TM><CHART_ID>3</CHART_ID></PKT>"},
      // The replay: the time line, then the blocks from 08:00, after the last
      // snapshot held, and from the start of a seek's minute.
      {ReplayTimeLineRequest(u"005930", u"1", u"20261209"),
       u"<PKT><GBN>3001</GBN><SHCODE>005930</SHCODE><MARKET>1</MARKET><YMD>20261209</YMD>"
       u"<HTIME>0</HTIME><TYPE>TOT</TYPE><SOC>1</SOC><ZIP>NO</ZIP></PKT>"},
      {ReplayFirstBlockRequest(u"000660", u"2", u"20261209"),
       u"<PKT><GBN>3001</GBN><SHCODE>000660</SHCODE><MARKET>2</MARKET><YMD>20261209</YMD>"
       u"<HTIME>080000</HTIME><TYPE>HOGA</TYPE><ZIP>NO</ZIP></PKT>"},
      {ReplayNextBlockRequest(u"000660", u"2", u"20261209", 93512),
       u"<PKT><GBN>3001</GBN><SHCODE>000660</SHCODE><MARKET>2</MARKET><YMD>20261209</YMD>"
       u"<HTIME>093512</HTIME><TYPE>HOGA</TYPE><IX>1</IX><ZIP>NO</ZIP></PKT>"},
      {ReplaySeekBlockRequest(u"000660", u"2", u"20261209", 93559),
       u"<PKT><GBN>3001</GBN><SHCODE>000660</SHCODE><MARKET>2</MARKET><YMD>20261209</YMD>"
       u"<HTIME>093500</HTIME><TYPE>HOGA</TYPE><IX>0</IX><ZIP>NO</ZIP></PKT>"},
      {ReplaySeekBlockRequest(u"000660", u"2", u"20261209", -1),
       u"<PKT><GBN>3001</GBN><SHCODE>000660</SHCODE><MARKET>2</MARKET><YMD>20261209</YMD>"
       u"<HTIME>000000</HTIME><TYPE>HOGA</TYPE><IX>0</IX><ZIP>NO</ZIP></PKT>"},
  };
  for (const Row& row : rows) EXPECT_EQ(row.request.Text(), row.text);
}

}  // namespace
}  // namespace velloran
