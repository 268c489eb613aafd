// The end-to-end driver's measuring report (tests/e2e/measure.h): its text form survives the
// trip from the program, and the rules decide "fits" exactly at the edge of each kind of control.
#include <gtest/gtest.h>

#include "e2e/measure.h"

namespace e2e::measure {
namespace {

Control Make(Kind kind, int clientWidth, int clientHeight, std::vector<Text> texts) {
    Control c;
    c.kind = kind;
    c.face = L"MS Shell Dlg";
    c.fontHeight = -12;
    c.lineHeight = 12;
    c.clientWidth = clientWidth;
    c.clientHeight = clientHeight;
    c.boxWidth = clientWidth;
    c.boxHeight = clientHeight;
    c.edge = 2;
    c.texts = std::move(texts);
    return c;
}

TEST(E2eMeasureReport, FormatThenParseKeepsEveryField) {
    Report r;
    r.dpi = 144;
    r.clientWidth = 539;
    r.clientHeight = 467;
    r.caption = L"  アラームスケジュールの一覧";
    Control list = Make(Kind::ListBox, 406, 300, {{L"会議\t2027, 02/24, 13:00", 379, 18}});
    list.itemHeight = 18;
    list.left = 12;
    list.top = 36;
    Control combo = Make(Kind::ComboBox, 74, 26, {{L"2027", 36, 18}, {L"", 0, 18}});
    combo.boxWidth = 50;
    combo.boxHeight = 20;
    Control label = Make(Kind::Label, 185, 17, {{L"a\\b\nc\rd", 40, 18}});
    label.face = L"ＭＳ Ｐゴシック";
    r.controls = {list, combo, label, Make(Kind::Button, 97, 37, {})};

    const auto parsed = Parse(Format(r));
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->dpi, 144);
    EXPECT_EQ(parsed->clientWidth, 539);
    EXPECT_EQ(parsed->clientHeight, 467);
    EXPECT_EQ(parsed->caption, r.caption);
    ASSERT_EQ(parsed->controls.size(), r.controls.size());
    for (size_t i = 0; i < r.controls.size(); ++i) {
        const Control& want = r.controls[i];
        const Control& got = parsed->controls[i];
        EXPECT_EQ(got.kind, want.kind) << i;
        EXPECT_EQ(got.face, want.face) << i;
        EXPECT_EQ(std::vector<int>({got.left, got.top, got.fontHeight, got.lineHeight,
                                    got.clientWidth, got.clientHeight, got.boxWidth, got.boxHeight,
                                    got.itemHeight, got.edge}),
                  std::vector<int>({want.left, want.top, want.fontHeight, want.lineHeight,
                                    want.clientWidth, want.clientHeight, want.boxWidth,
                                    want.boxHeight, want.itemHeight, want.edge}))
            << i;
        ASSERT_EQ(got.texts.size(), want.texts.size()) << i;
        for (size_t t = 0; t < want.texts.size(); ++t) {
            EXPECT_EQ(got.texts[t].text, want.texts[t].text);
            EXPECT_EQ(got.texts[t].width, want.texts[t].width);
            EXPECT_EQ(got.texts[t].height, want.texts[t].height);
        }
    }
}

TEST(E2eMeasureReport, ParseRefusesWhatIsNotAReport) {
    const std::wstring window = L"W\t96\t100\t50\tcaption\n";
    const std::wstring control = L"C\tlabel\t1\t2\tface\t-12\t12\t10\t12\t10\t12\t0\t2\n";
    ASSERT_TRUE(Parse(window + control + L"T\t5\t12\tabc\n").has_value());
    const std::vector<std::pair<const char*, std::wstring>> bad = {
        {"empty", L""},
        {"no window line", control},
        {"a text before any control", window + L"T\t5\t12\tabc\n"},
        {"an unknown kind", window + L"C\tslider\t1\t2\tface\t-12\t12\t10\t12\t10\t12\t0\t2\n"},
        {"a control line one field short",
         window + L"C\tlabel\t1\t2\tface\t-12\t12\t10\t12\t10\t12\t0\n"},
        {"a number that is not one",
         window + L"C\tlabel\t1\tx\tface\t-12\t12\t10\t12\t10\t12\t0\t2\n"},
        {"a window DPI that is not a number", L"W\t9x\t100\t50\tcaption\n"},
        {"a text width that is not a number", window + control + L"T\t5px\t12\tabc\n"},
        {"an unknown record", window + L"X\t1\n"},
    };
    for (const auto& [what, text] : bad)
        EXPECT_FALSE(Parse(text).has_value()) << what;
}

TEST(E2eMeasureReport, EscapeAndUnescapeAreInverse) {
    for (const std::wstring text : {L"", L"plain", L"\t", L"\\t", L"a\\\tb", L"末尾\\", L"\r\n\n"})
        EXPECT_EQ(Unescape(Escape(text)), text);
    EXPECT_EQ(Escape(L"a\tb").find(L'\t'), std::wstring::npos);
}

// Each kind of control against a text at its edge and one pixel past it.
TEST(E2eMeasureRules, EachKindFitsExactlyUpToItsRoom) {
    Control combo = Make(Kind::ComboBox, 49, 20, {});
    combo.boxWidth = 25;  // the edit field, left of the drop-down button
    combo.boxHeight = 14;
    Control list = Make(Kind::ListBox, 269, 132, {});
    list.itemHeight = 12;
    Control textBox = Make(Kind::TextBox, 149, 14, {});
    textBox.boxWidth = 147;
    textBox.boxHeight = 12;

    struct Case {
        const char* what;
        Control control;
        Text text;
        int widthOver, heightOver;
    };
    const Case cases[] = {
        {"label, exact", Make(Kind::Label, 12, 12, {}), {L"年", 12, 12}, 0, 0},
        {"label, 1 px too wide", Make(Kind::Label, 12, 12, {}), {L"年", 13, 12}, 1, 0},
        {"label, 1 px too high", Make(Kind::Label, 123, 11, {}), {L"***", 119, 12}, 0, 1},
        {"button, inside its edges", Make(Kind::Button, 81, 25, {}), {L"キャンセル", 77, 21}, 0, 0},
        {"button, on its edge", Make(Kind::Button, 81, 25, {}), {L"キャンセル", 78, 22}, 1, 1},
        {"combo entry, exact", combo, {L"2026", 25, 14}, 0, 0},
        {"combo entry, wider than the edit field", combo, {L"2026", 32, 13}, 7, 0},
        {"list line, within the indent", list, {L"a\tb", 268, 12}, 0, 0},
        {"list line, into the indent", list, {L"a\tb", 269, 12}, 1, 0},
        {"list line, higher than an item", list, {L"a", 10, 13}, 0, 1},
    };
    for (const Case& k : cases) {
        Control c = k.control;
        c.texts = {k.text};
        const std::vector<Misfit> misfits = Misfits(c);
        if (k.widthOver == 0 && k.heightOver == 0) {
            EXPECT_TRUE(misfits.empty()) << k.what;
            continue;
        }
        ASSERT_EQ(misfits.size(), 1u) << k.what;
        EXPECT_EQ(misfits[0].text, k.text.text) << k.what;
        EXPECT_EQ(misfits[0].widthOver, k.widthOver) << k.what;
        EXPECT_EQ(misfits[0].heightOver, k.heightOver) << k.what;
    }

    // A text box's text scrolls sideways; only its line height counts.
    textBox.texts = {{L"とても長いスケジュールの名前", 400, 12}};
    EXPECT_TRUE(Misfits(textBox).empty());
    textBox.lineHeight = 13;
    ASSERT_EQ(Misfits(textBox).size(), 1u);
    EXPECT_EQ(Misfits(textBox)[0].heightOver, 1);
    // An empty label (the alarm's name before a ring) has nothing to fit.
    EXPECT_TRUE(Misfits(Make(Kind::Label, 0, 0, {{L"", 0, 12}})).empty());
}

TEST(E2eMeasureRules, WidestTextIsTheLargestShareOfItsRoom) {
    Report r;
    r.controls = {
        Make(Kind::Label, 100, 12, {{L"half", 50, 12}, {L"", 0, 12}}),
        Make(Kind::Button, 44, 20, {{L"nine tenths", 36, 12}}),  // room 40
        Make(Kind::TextBox, 10, 12, {{L"scrolls", 500, 12}}),
    };
    const Widest w = WidestText(r);
    EXPECT_EQ(w.text, L"nine tenths");
    EXPECT_DOUBLE_EQ(w.ratio, 0.9);
    EXPECT_EQ(w.control, &r.controls[1]);
    EXPECT_EQ(WidestText(r.controls[2]).control, nullptr);
    EXPECT_EQ(WidestText(Report{}).ratio, 0);
}

TEST(E2eMeasureRules, TwipsRoundLikeMulDiv) {
    const struct {
        int twips, dpi, pixels;
    } cases[] = {
        {735, 96, 49},    {735, 144, 74},   {165, 96, 11},    {165, 144, 17}, {180, 144, 18},
        {5385, 144, 539}, {4665, 144, 467}, {1440, 120, 120}, {165, 192, 22}, {-165, 144, -17},
    };
    for (const auto& k : cases)
        EXPECT_EQ(TwipsAt(k.twips, k.dpi), k.pixels) << k.twips << " twips at " << k.dpi;
}

}  // namespace
}  // namespace e2e::measure
