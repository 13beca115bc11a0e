// The update service's platform-free rules: the parameter string, the
// digest's function, the vendor host, the receive buffer's growth, the
// resume of an interrupted transfer, a proxy script's answer and the cutting
// of log text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/digest_text.h"
#include "app/receive_buffer_rules.h"
#include "app/transfer_resume_rules.h"
#include "app/update_params.h"
#include "app/url_text.h"
#include "log/log_record.h"

namespace {

struct ParamsCase {
  std::u16string text;
  bool ok;
  std::u16string url, md5, tip;
  bool force;
};

ParamsCase Refused(std::u16string text) { return ParamsCase{text, false, u"", u"", u"", false}; }

class UpdateParamsSplit : public testing::TestWithParam<ParamsCase> {};

TEST_P(UpdateParamsSplit, RunsOfSeparatorsCountAsOne) {
  const ParamsCase& c = GetParam();
  UpdateParams params;
  params.strUrl = u"unchanged";
  ASSERT_EQ(c.ok, ParseUpdateParams(c.text, params));
  if (!c.ok) {
    EXPECT_EQ(u"unchanged", params.strUrl);
    return;
  }
  EXPECT_EQ(c.url, params.strUrl);
  EXPECT_EQ(c.md5, params.strMd5);
  EXPECT_EQ(c.tip, params.strTipText);
  EXPECT_EQ(c.force, params.bForce);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, UpdateParamsSplit,
    testing::Values(ParamsCase{u"http://u.orvane.com/a.exe|0cc175b9|x|New version|1", true,
                               u"http://u.orvane.com/a.exe", u"0cc175b9", u"New version", true},
                    ParamsCase{u"||u||m|||x|tip||0|", true, u"u", u"m", u"tip", false},
                    ParamsCase{u"u|m|x|tip|1 ", true, u"u", u"m", u"tip", false},
                    ParamsCase{u"u|m|x|tip|11", true, u"u", u"m", u"tip", false},
                    ParamsCase{u"u|m|x|tip|1|more|fields", true, u"u", u"m", u"tip", true},
                    Refused(u"u|m|x|tip"), Refused(u"u|m|x|tip|"), Refused(u"u|m||x|tip"),
                    Refused(u""), Refused(u"|||||")));

struct HostCase {
  std::u16string host;
  bool vendor;
};

class VendorHost : public testing::TestWithParam<HostCase> {};

TEST_P(VendorHost, SubDomainsOfTheVendorDomainsOnly) {
  EXPECT_EQ(GetParam().vendor, IsVendorHost(GetParam().host));
}

INSTANTIATE_TEST_SUITE_P(
    Hosts, VendorHost,
    testing::Values(HostCase{u"update.orvane.com", true}, HostCase{u"DL.ZUMIPICTAVO.COM", true},
                    HostCase{u".orvane.com", true}, HostCase{u"orvane.com", false},
                    HostCase{u"evilorvane.com", false}, HostCase{u"a.orvane.com.evil", false},
                    HostCase{u"a.orvane.co", false}, HostCase{u"", false},
                    // Only ASCII letters are lowered: a dotted capital I is no 'i'.
                    HostCase{u"a.zumip\u0130ctavo.com", false},
                    HostCase{u"a.orvane.\u212Aom", false}));

TEST(EscapeUtf8Bytes, BlanksControlsPercentAndHighBytes) {
  // DEL is no control character here: it stays.
  EXPECT_EQ(u"a%20b%25%09%C3%A9!~\x7F", EscapeUtf8Bytes("a b%\t\xC3\xA9!~\x7F"));
  EXPECT_EQ(u"%00", EscapeUtf8Bytes(std::string_view("\0", 1)));
}

struct GrowCase {
  uint32_t capacity;
  uint64_t required;
  uint32_t grown;
};

class ReceiveGrowth : public testing::TestWithParam<GrowCase> {};

TEST_P(ReceiveGrowth, WholeStepsDoubledUpToTheLimit) {
  EXPECT_EQ(GetParam().grown, GrownReceiveCapacity(GetParam().capacity, GetParam().required));
}

INSTANTIATE_TEST_SUITE_P(
    Steps, ReceiveGrowth,
    testing::Values(GrowCase{10240, 10241, 20480}, GrowCase{10240, 50000, 51200},
                    GrowCase{20480, 20481, 40960}, GrowCase{61440000, 61440001, kReceiveLimit},
                    GrowCase{kReceiveLimit - 10240, kReceiveLimit, kReceiveLimit},
                    GrowCase{kReceiveLimit, kReceiveLimit + 1ull, 0},
                    GrowCase{10240, 1ull << 40, 0}));

TEST(ReceiveGrowth, AnnouncedLengthSizesTheBufferOnceWithinTheLimit) {
  const struct {
    uint64_t kept;
    int64_t announced;
    uint32_t capacity;
    uint32_t sized;
  } cases[] = {
      {0, -1, 0, 0},                         // no length: growth as blocks arrive
      {0, 10240, 10240, 0},                  // already large enough
      {0, 10241, 0, 20480},                  // whole steps
      {0, 64 << 20, 0, 67112960},            // a large download, once
      {500, 9740, 10240, 0},                 // the rest of a body that fits
      {10240, 1, 10240, 20480},              // the rest of one that does not
      {0, kReceiveLimit, 0, kReceiveLimit},  // the limit itself
      {0, kReceiveLimit + 1ll, 0, 0},        // beyond it: refused as it arrives
      {1, kReceiveLimit, 0, 0},              //   also with what was kept
      {0, INT64_MAX, 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.sized, AnnouncedReceiveCapacity(c.kept, c.announced, c.capacity))
        << c.kept << " + " << c.announced;
  }
}

TEST(ResumeHeaderLines, ContentLengthIsDigitsOnly) {
  const struct {
    const char* line;
    int64_t length;
  } cases[] = {{"Content-Length: 67108864\r\n", 67108864},
               {"content-length:0", 0},
               {"Content-Length: 12x", -1},
               {"Content-Length: -5", -1},
               {"Content-Length: 99999999999999999999", -1},
               {"Content-Length:", -1}};
  for (const auto& c : cases) {
    ResumeHeaders headers;
    ReadResumeHeaderLine(c.line, std::strlen(c.line), headers);
    EXPECT_EQ(c.length, headers.contentLength) << c.line;
  }
}

// One byte per unit, as a single-byte code page would take it.
int BytesOf(int units) { return units; }

// Only the length tells the function; the digits are compared later, so a
// digest of the right length with a stray character still names one.
TEST(DigestKindOf, ThirtyTwoDigitsForMd5SixtyFourForSha256) {
  const struct {
    std::u16string text;
    DigestKind kind;
  } kRows[] = {
      {std::u16string(32, u'a'), DigestKind::kMd5},
      {std::u16string(64, u'F'), DigestKind::kSha256},
      {std::u16string(31, u'0') + u'g', DigestKind::kMd5},
      {u"", DigestKind::kNone},
      {std::u16string(31, u'0'), DigestKind::kNone},
      {std::u16string(40, u'0'), DigestKind::kNone},
      {std::u16string(65, u'0'), DigestKind::kNone},
      {std::u16string(128, u'0'), DigestKind::kNone},
  };
  for (const auto& row : kRows)
    EXPECT_EQ(row.kind, DigestKindOf(row.text)) << row.text.size() << " digits";
}

// A digest given in capitals matches the lower-case one a file gives.
TEST(IsSameDigestText, IgnoresTheCaseOfHexDigitsOnly) {
  EXPECT_TRUE(IsSameDigestText(u"0a1B2c3D", u"0A1b2C3d"));
  EXPECT_FALSE(IsSameDigestText(u"0a1b", u"0a1c"));
  EXPECT_FALSE(IsSameDigestText(u"0a1b", u"0a1b2"));
}

TEST(FitLogText, DropsTheExcessAndNeverSplitsASurrogatePair) {
  std::u16string text(10, u'x');
  EXPECT_EQ(10, FitLogText(text.data(), 10, 11, BytesOf));
  EXPECT_EQ(7, FitLogText(text.data(), 10, 8, BytesOf));
  text[6] = 0xD83D;  // a pair at 6 and 7: cutting after 7 units would split it
  text[7] = 0xDE00;
  EXPECT_EQ(6, FitLogText(text.data(), 10, 8, BytesOf));
  EXPECT_EQ(0, FitLogText(text.data(), 10, 1, BytesOf));
  EXPECT_EQ(0, FitLogText(text.data(), 10, 100, [](int) { return 0; }));
}

}  // namespace

namespace {

ResumeHeaders ReadHeaders(const std::string& text) {
  ResumeHeaders headers;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    ReadResumeHeaderLine(text.data() + start, end - start, headers);
    start = end;
  }
  return headers;
}

struct ResumeCase {
  const char* headers;
  const char* validator;
  bool canResume;
};

class ResumeFromHeaders : public testing::TestWithParam<ResumeCase> {};

TEST_P(ResumeFromHeaders, RangesAndAValidatorAreNeeded) {
  ResumeHeaders headers = ReadHeaders(GetParam().headers);
  EXPECT_EQ(GetParam().validator, ResumeValidator(headers));
  EXPECT_EQ(GetParam().canResume, CanResume(headers));
}

const char kDate[] = "Wed, 09 Dec 2026 10:00:00 GMT";

INSTANTIATE_TEST_SUITE_P(
    Headers, ResumeFromHeaders,
    testing::Values(
        ResumeCase{"HTTP/1.1 200 OK\r\nAccept-Ranges: bytes\r\nETag: \"v1\"\r\n", "\"v1\"", true},
        ResumeCase{"HTTP/1.1 200 OK\r\naccept-ranges:  none, BYTES \r\nlast-modified: Wed, 09 Dec "
                   "2026 10:00:00 GMT\r\n",
                   kDate, true},
        // A weak tag names no exact bytes: the date guards the range instead.
        ResumeCase{"HTTP/1.1 200 OK\r\nAccept-Ranges: bytes\r\nETag: W/\"weak\"\r\nLast-Modified: "
                   "Wed, 09 Dec 2026 10:00:00 GMT\r\n",
                   kDate, true},
        ResumeCase{"HTTP/1.1 200 OK\r\nAccept-Ranges: bytes\r\nETag: W/\"weak\"\r\n", "", false},
        ResumeCase{"HTTP/1.1 200 OK\r\nAccept-Ranges: none\r\nETag: \"v1\"\r\n", "\"v1\"", false},
        ResumeCase{"HTTP/1.1 200 OK\r\nAccept-Ranges: bytes\r\n", "", false},
        ResumeCase{"HTTP/1.1 200 OK\r\nAccept-Ranges: bytes\r\nETag: \"a\rb\"\r\n", "", false},
        ResumeCase{"HTTP/1.1 200 OK\r\nAccept-Ranges: bytes\r\nETag: \"open\r\n", "", false},
        // The headers of a redirect do not carry over to the next response.
        ResumeCase{"HTTP/1.1 302 Found\r\nAccept-Ranges: bytes\r\nETag: \"v1\"\r\nHTTP/1.1 200 "
                   "OK\r\n",
                   "", false}));

struct AnswerCase {
  const char* headers;
  uint64_t received;
  const char* validator;
  ResumeAnswer answer;
};

class ResumeAnswers : public testing::TestWithParam<AnswerCase> {};

TEST_P(ResumeAnswers, OnlyTheRestOfTheSameBodyContinues) {
  const AnswerCase& c = GetParam();
  EXPECT_EQ(c.answer, ClassifyResumeAnswer(ReadHeaders(c.headers), c.received, c.validator));
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, ResumeAnswers,
    testing::Values(
        AnswerCase{"HTTP/1.1 206 Partial\r\nContent-Range: bytes 500-999/1000\r\n", 500, "\"v1\"",
                   ResumeAnswer::kContinue},
        AnswerCase{"HTTP/1.1 206 Partial\r\nContent-Range: bytes 500-999/*\r\nETag: \"v1\"\r\n",
                   500, "\"v1\"", ResumeAnswer::kContinue},
        AnswerCase{"HTTP/1.1 206 Partial\r\nContent-Range: bytes 999-999/1000\r\n", 999, "\"v1\"",
                   ResumeAnswer::kContinue},
        AnswerCase{"HTTP/1.1 206 Partial\r\nContent-Range: bytes 400-999/1000\r\n", 500, "\"v1\"",
                   ResumeAnswer::kFail},
        AnswerCase{"HTTP/1.1 206 Partial\r\nContent-Range: bytes 500-999/1000\r\nETag: \"v2\"\r\n",
                   500, "\"v1\"", ResumeAnswer::kFail},
        AnswerCase{"HTTP/1.1 206 Partial\r\n", 500, "\"v1\"", ResumeAnswer::kFail},
        AnswerCase{"HTTP/1.1 206 Partial\r\nContent-Range: bytes 99999999999999999999-1/2\r\n", 0,
                   "\"v1\"", ResumeAnswer::kFail},
        AnswerCase{"HTTP/1.1 200 OK\r\n", 500, "\"v1\"", ResumeAnswer::kRestart},
        AnswerCase{"HTTP/1.1 416 Range Not Satisfiable\r\n", 500, "\"v1\"", ResumeAnswer::kFail},
        AnswerCase{"HTTP/1.1 503 Unavailable\r\n", 500, "\"v1\"", ResumeAnswer::kFail}));

TEST(ResumeRequest, RangeTextAndWaits) {
  EXPECT_EQ("bytes=0-", RangeFrom(0));
  EXPECT_EQ("bytes=51200-", RangeFrom(51200));
  EXPECT_EQ("bytes=18446744073709551615-", RangeFrom(UINT64_MAX));
  EXPECT_EQ(0u, ResumeWaitMs(0));
  EXPECT_EQ(1000u, ResumeWaitMs(1));
  EXPECT_EQ(2000u, ResumeWaitMs(2));
  EXPECT_EQ(4000u, ResumeWaitMs(3));
  EXPECT_EQ(0u, ResumeWaitMs(4));
}

struct ScriptCase {
  const char* answer;
  ScriptProxyKind kind;
  const char* hostPort;
};

class ScriptAnswers : public testing::TestWithParam<ScriptCase> {};

TEST_P(ScriptAnswers, FirstProxyOrDirectEntryCounts) {
  ScriptProxy proxy = FirstScriptProxy(GetParam().answer);
  EXPECT_EQ(GetParam().kind, proxy.kind);
  EXPECT_EQ(GetParam().hostPort, proxy.hostPort);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, ScriptAnswers,
    testing::Values(
        ScriptCase{"PROXY 127.0.0.1:3128", ScriptProxyKind::kProxy, "127.0.0.1:3128"},
        ScriptCase{" proxy  cache.corp:8080 ; DIRECT", ScriptProxyKind::kProxy, "cache.corp:8080"},
        ScriptCase{"DIRECT; PROXY cache.corp:8080", ScriptProxyKind::kDirect, ""},
        ScriptCase{"SOCKS s:1080; PROXY cache.corp:8080", ScriptProxyKind::kProxy,
                   "cache.corp:8080"},
        ScriptCase{"cache.corp:8080;other:1", ScriptProxyKind::kProxy, "cache.corp:8080"},
        ScriptCase{"PROXY a b:1", ScriptProxyKind::kNone, ""},
        ScriptCase{"SOCKS s:1080", ScriptProxyKind::kNone, ""},
        ScriptCase{"", ScriptProxyKind::kNone, ""}));

}  // namespace
