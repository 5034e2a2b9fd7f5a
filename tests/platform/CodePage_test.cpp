#include "platform/CodePage.h"

#include <gtest/gtest.h>

using namespace win;

TEST(CodePage, QStringRoundTripsAndKeepsStoredBytes) {
    const QString text = QStringLiteral("細明體 Big5 【預設位址】");
    const std::string big5 = QStringToBig5(text);
    EXPECT_EQ(big5.substr(0, 6), "\xB2\xD3\xA9\xFA\xC5\xE9");
    EXPECT_EQ(Big5ToQString(big5), text);
    EXPECT_EQ(Big5ToQString(QByteArray("\xA4\xA4\x82\x40z")),
              QStringLiteral("中") + QChar(0xFFFD) + "z");
    EXPECT_EQ(QStringToBig5(QStringLiteral("a😀b")), "a?b");
    EXPECT_EQ(QStringToBig5(QString()), "");
}
