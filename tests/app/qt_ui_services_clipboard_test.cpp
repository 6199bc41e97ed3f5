// The system clipboard through QtUiServices: the editor's box flag travels
// beside the text, and plain text from elsewhere reads as a stream.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>

#include "app/qt_ui_services.h"

namespace kestrel {
namespace {

TEST(QtUiServicesClipboard, BoxFlagRoundTripsBesideThePlainText) {
  QtUiServices ui;
  struct Case {
    std::u16string text;
    bool box;
  };
  const Case cases[] = {{u"ab\ncd\n", true}, {u"社員\n名前", false}, {u"\U0001F600", true}};
  for (const Case& c : cases) {
    ASSERT_EQ(ui.set_clipboard_text_box(c.text, c.box), UiServices::ClipboardResult::kOk);
    std::u16string out;
    bool box = !c.box;
    ASSERT_TRUE(ui.clipboard_text_box(out, box));
    EXPECT_EQ(out, c.text);
    EXPECT_EQ(box, c.box);
    std::u16string plain;
    ASSERT_TRUE(ui.clipboard_text(plain));  // other programs see the text
    EXPECT_EQ(plain, c.text);
  }
}

TEST(QtUiServicesClipboard, TextFromAnotherProgramIsNoBox) {
  QtUiServices ui;
  ASSERT_EQ(ui.set_clipboard_text_box(u"x", true), UiServices::ClipboardResult::kOk);
  QGuiApplication::clipboard()->setText(QStringLiteral("plain"));
  std::u16string out;
  bool box = true;
  ASSERT_TRUE(ui.clipboard_text_box(out, box));
  EXPECT_EQ(out, u"plain");
  EXPECT_FALSE(box);
}

}  // namespace
}  // namespace kestrel
