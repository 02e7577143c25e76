// Framing of the socket's bytes into messages: line feeds inside strings and blocks, the
// size limit, invalid UTF-8 and blocks that announce more than they bring.
#include "remote/message_framer.h"

#include <gtest/gtest.h>

#include "remote/scpi_error.h"

namespace quelnor::remote {
namespace {

std::vector<std::string> texts(const std::vector<FramedMessage>& messages) {
  std::vector<std::string> out;
  for (const FramedMessage& m : messages) {
    out.push_back(m.error_code == 0 ? m.text : "!" + std::to_string(m.error_code));
  }
  return out;
}

using Texts = std::vector<std::string>;

TEST(Framer, SplitsAtLineFeedsAcrossReads) {
  MessageFramer f;
  EXPECT_EQ(texts(f.feed("*IDN?\nFREQ:ST")), Texts{"*IDN?"});
  EXPECT_EQ(texts(f.feed("AR 1\r\n\n")), (Texts{"FREQ:STAR 1", ""}));
  EXPECT_TRUE(f.empty());
}

TEST(Framer, LineFeedInsideABlockBelongsToIt) {
  MessageFramer f;
  EXPECT_EQ(texts(f.feed("X #13a\nb;Y\n")), Texts{"X #13a\nb;Y"});
  // Byte by byte, the same.
  MessageFramer g;
  Texts got;
  for (char c : std::string("X #210\n\n\n\n\n\n\n\n\n\n\nZ\n")) {
    for (const std::string& t : texts(g.feed(std::string(1, c)))) got.push_back(t);
  }
  EXPECT_EQ(got, (Texts{"X #210\n\n\n\n\n\n\n\n\n\n", "Z"}));
}

TEST(Framer, QuotedLineFeedIsNotHidden) {
  // A string cannot span lines: the line feed ends the message and the parser reports the
  // open string, rather than the rest of the session vanishing into it.
  MessageFramer f;
  EXPECT_EQ(texts(f.feed("X \"open\n*IDN?\n")), (Texts{"X \"open", "*IDN?"}));
}

TEST(Framer, OversizeMessageBecomesOneErrorAndTheNextLineWorks) {
  MessageFramer f(16);
  EXPECT_EQ(texts(f.feed(std::string(40, 'A') + "\n*IDN?\n")),
            (Texts{"!" + std::to_string(scpi_code::too_much_data), "*IDN?"}));
}

TEST(Framer, MessageOfExactlyTheLimitPasses) {
  MessageFramer f(16);
  const std::string sixteen = "FREQ:STAR 1000.0";
  EXPECT_EQ(texts(f.feed(sixteen + "\n" + sixteen + "0\n")),
            (Texts{sixteen, "!" + std::to_string(scpi_code::too_much_data)}));
}

TEST(Framer, BlockAnnouncingMoreThanTheLimitIsRefusedAtOnce) {
  MessageFramer f(1000);
  EXPECT_EQ(texts(f.feed("X #9999999999\n*IDN?\n")),
            (Texts{"!" + std::to_string(scpi_code::invalid_block_data), "*IDN?"}));
}

TEST(Framer, InvalidUtf8IsAnError) {
  MessageFramer f;
  // Besides bytes that never occur and cut sequences: overlong forms, a UTF-16 surrogate
  // and a code point past U+10FFFF.
  const std::string invalid[] = {"X \"\xff\"\n",         "X \xc3\n",
                                 "X \xc3(\n",             "X \xed\n",
                                 "X \"\xc0\xaf\"\n",       "X \"\xe0\x80\xaf\"\n",
                                 "X \"\xf0\x80\x80\xaf\"\n", "X \"\xed\xa0\x80\"\n",
                                 "X \"\xf4\x90\x80\x80\"\n"};
  for (const std::string& text : invalid) {
    EXPECT_EQ(texts(f.feed(text)), Texts{"!" + std::to_string(scpi_code::invalid_character)})
        << text;
  }
  EXPECT_EQ(texts(f.feed("X \"\xc3\xa9\xe2\x82\xac\"\n")), Texts{"X \"\xc3\xa9\xe2\x82\xac\""});
  // The edges of the narrowed ranges are valid: U+0800, U+D7FF, U+10000, U+10FFFF.
  EXPECT_EQ(texts(f.feed("X \xe0\xa0\x80\xed\x9f\xbf\xf0\x90\x80\x80\xf4\x8f\xbf\xbf\n")),
            Texts{"X \xe0\xa0\x80\xed\x9f\xbf\xf0\x90\x80\x80\xf4\x8f\xbf\xbf"});
  // Block payloads are bytes, not text.
  EXPECT_EQ(texts(f.feed("X #12\xff\xfe\n")), Texts{"X #12\xff\xfe"});
}

TEST(Framer, ABlockThatLiesCanBeAbandoned) {
  MessageFramer f;
  EXPECT_TRUE(f.feed("X #15ab\n").empty());
  EXPECT_TRUE(f.waiting_inside_block_past_line_feed());
  EXPECT_EQ(f.abandon_partial().error_code, scpi_code::invalid_block_data);
  EXPECT_EQ(texts(f.feed("*IDN?\n")), Texts{"*IDN?"});
}

}  // namespace
}  // namespace quelnor::remote
