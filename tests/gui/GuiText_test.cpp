// The text widget without a picture: texts and keys, layout, editing, focus
// and the glyph use counts it keeps in its fonts.

#include "gui/TextTestSupport.h"
#include "platform/GLState.h"
#include "platform/Loca.h"
#include "platform/WindowProc.h"
#include "platform/os/MessagePump.h"
#include "support/FakeGlApi.h"
#include "support/LocaTableWriter.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <utility>

namespace {

using halvo::AutoRef;
using halvo::Font;
using halvo::GuiText;
using halvo::GuiWidget;
using testsupport::kTestFont;
using testsupport::MakeText;
using testsupport::TextOf;

Vrel::Var Unicode(std::u16string_view text) {
    return Vrel::Var(new Vrel::VarUnicode(std::vector<char16_t>(text.begin(), text.end())));
}

float WidthOf(Font* font, std::u16string_view text) {
    float sum = 0;
    for (char16_t c : text) sum += font->GetAdvance(c);
    return sum;
}

class GuiTextTest : public testsupport::GuiFixture {
protected:
    void SetUp() override {
        GLState::UseApi(&gl);
        GLState::Reset();
        testsupport::InstallTestFont();
        frame = testsupport::MakeFrame(root, "frame", 0, 0, 1920, 1080, false);
        frame->AddListener(new testsupport::RecordingListener(&log));
    }
    void TearDown() override {
        GuiFixture::TearDown();
        GLState::SetContextAlive(false);
        GLState::UseApi(nullptr);
    }
    void Keys(GuiText* text, std::initializer_list<std::pair<uint16_t, uint16_t>> keys) {
        for (auto [key, character] : keys) text->RouteInput(testsupport::Key(key, character));
    }
    // An input of the given width holding `content`, focused, caret at the end.
    AutoRef<GuiText> Input(std::u16string_view content, float width = 400) {
        AutoRef<GuiText> text = MakeText(frame.Get(), {{"name", Vrel::Var("in")}, {"input", Vrel::Var(true)},
                                                       {"text", Unicode(content)}, {"xsize", Vrel::Var(width)}});
        text->TakeFocus();
        Keys(text.Get(), {{35, 0}});
        return text;
    }

    FakeGlApi gl;
    AutoRef<GuiWidget> frame;
    std::vector<std::string> log;
};

TEST_F(GuiTextTest, DefaultsAndTheTextsOfEveryKindOfValue) {
    auto params = testsupport::Params({{"font", Vrel::Var(kTestFont)}});
    testsupport::CheckWidgetBasics("Text", GuiText::kClassRecord,
                                   {{"size", Vrel::Var(12)}, {"multiline", Vrel::Var(false)},
                                    {"linebreak", Vrel::Var(false)}, {"x_align", Vrel::Var(0)},
                                    {"y_align", Vrel::Var(0)}, {"linefeed", Vrel::Var(100)},
                                    {"input", Vrel::Var(false)}, {"color", Vrel::Var(-1)}},
                                   *params);
    EXPECT_EQ(TextOf(gui.CreateWidget("Text").Get()), u"<default>");
    EXPECT_FALSE(MakeText(frame.Get(), {{"font", Vrel::Var("fonts/none.ttf")}}) || frame->GetFirstChild());
    testsupport::LocaTableWriter table;
    table.Add("greeting", "Gr\xC3\xBC\xC3\x9F dich");
    testsupport::GlobalDataRoot().WriteFile("loca/loca_tx.bin", table.Build());
    FileManager::Global().ResetDirectoryCaches();
    ASSERT_TRUE(Loca::Global().Load("tx"));
    EXPECT_EQ(TextOf(MakeText(frame.Get(), {{"text", Vrel::Var("#greeting")}}).Get()), u"Gr\u00FC\u00DF dich");
    EXPECT_EQ(TextOf(MakeText(frame.Get(), {{"text", Vrel::Var("K\xE4se")}}).Get()), u"K\u00E4se");
    EXPECT_EQ(TextOf(MakeText(frame.Get(), {{"text", Vrel::Var(7)}}).Get()), u"(missing text)");
    AutoRef<GuiText> kept = MakeText(frame.Get(), {{"text", Unicode(u"\u20AC 5")}});
    EXPECT_EQ(kept->GetLineText(0), u"\u20AC 5");
    kept->Properties().GetOrAddMember("text")->SetInt(3);  // no unicode string at layout
    kept->Relayout();
    EXPECT_EQ(kept->GetLineText(0), u"(missing)");
}

TEST_F(GuiTextTest, LinesBreakAtSpacesSoftHyphensAndNewlines) {
    Font* font = MakeText(frame.Get(), {})->GetMainFont();
    auto wrapped = [&](std::u16string_view text, float width, bool multiline = true) {
        AutoRef<GuiText> made = MakeText(frame.Get(), {{"text", Unicode(text)}, {"multiline", Vrel::Var(multiline)},
                                                       {"linebreak", Vrel::Var(true)}, {"xsize", Vrel::Var(width)}});
        std::vector<std::u16string> lines;
        for (size_t i = 0; i < made->GetLineCount(); ++i)
            lines.push_back(made->GetLineText(i) + (made->IsLineWrapped(i) ? u"+" : u""));
        return std::pair(lines, made->GetLineWidth(0));
    };
    using Lines = std::vector<std::u16string>;
    const auto [words, width] = wrapped(u"Hello World", WidthOf(font, u"Hello ") + 1);
    EXPECT_EQ(words, (Lines{u"Hello+", u"World"}));
    EXPECT_FLOAT_EQ(width, WidthOf(font, u"Hello "));  // the dropped space still counts
    EXPECT_EQ(wrapped(u"abc\x0E" u"defgh", WidthOf(font, u"abcd") + 0.5f).first, (Lines{u"abc+", u"defgh"}));
    EXPECT_EQ(wrapped(u"one\ntwo", 1000).first, (Lines{u"one", u"two"}));
    // Without "multiline" the line-break request is ignored and newlines go.
    EXPECT_EQ(wrapped(u"one\ntwo words", 10, false).first, (Lines{u"onetwo words"}));
}

// A text that changes again and again (a clock) lays out from the lines it
// kept, keeps the glyphs the new text shares with the old and rewrites its
// own string; a string a script holds keeps its value.
TEST_F(GuiTextTest, ChangedTextsLayOutAfreshAndLeaveAHeldStringAlone) {
    Font* font = MakeText(frame.Get(), {})->GetMainFont();
    AutoRef<GuiText> text = MakeText(frame.Get(), {{"text", Unicode(u"Hello World")}, {"multiline", Vrel::Var(true)},
                                                   {"linebreak", Vrel::Var(true)},
                                                   {"xsize", Vrel::Var(WidthOf(font, u"Hello ") + 1)}});
    ASSERT_EQ(text->GetLineCount(), 2u);
    text->SetText(u"one");
    ASSERT_EQ(text->GetLineCount(), 1u);
    EXPECT_EQ(text->GetLineText(0), u"one");
    EXPECT_FALSE(text->IsLineWrapped(0));
    EXPECT_FLOAT_EQ(text->GetLineWidth(0), WidthOf(font, u"one"));
    text->SetText(u"Hello World");
    ASSERT_EQ(text->GetLineCount(), 2u);
    EXPECT_TRUE(text->IsLineWrapped(0));
    EXPECT_FALSE(text->IsLineWrapped(1));
    EXPECT_EQ(text->GetLineText(1), u"World");
    EXPECT_FLOAT_EQ(text->GetLineWidth(1), WidthOf(font, u"World"));

    // A character in the old and the new text keeps its rendered glyph.
    text->SetText(u"QX");
    const Font::Glyph* kept = font->FindGlyph(u'Q');
    ASSERT_NE(kept, nullptr);
    text->SetText(u"QZ");
    EXPECT_EQ(font->FindGlyph(u'Q'), kept);
    EXPECT_EQ(font->FindGlyph(u'X'), nullptr);
    ASSERT_NE(font->FindGlyph(u'Z'), nullptr);
    EXPECT_EQ(font->FindGlyph(u'Z')->useCount, 1);

    AutoRef<Vrel::VarUnicode> held(Vrel::ToVarUnicode(*text->GetMember("text")));
    text->SetText(u"new");
    EXPECT_EQ(held->GetText(), u"QZ");
    EXPECT_EQ(TextOf(text.Get()), u"new");
    held.Reset();
    // A part of its own string, handed back without a hold on it.
    text->SetText(Vrel::ToVarUnicode(*text->GetMember("text"))->GetText().substr(1));
    EXPECT_EQ(TextOf(text.Get()), u"ew");
    text->SetText(u"");
    EXPECT_EQ(TextOf(text.Get()), u"");
    EXPECT_EQ(text->GetLineText(0), u"");
}

TEST_F(GuiTextTest, SizeFollowsTheGlobalScaleStaysFiniteAndFillsOnlyMissingSizes) {
    auto params = testsupport::Params({{"start_scale", Vrel::Var(0.5f)}});
    AutoRef<GuiWidget> half = halvo::GuiCreateWidget("Frame", *params, frame.Get());
    AutoRef<GuiText> text = MakeText(half.Get(), {{"text", Vrel::Var("x")}});
    // 12 * 0.5 rounds to 6 pixels, raised to 9; drawn at 12 / 6.
    EXPECT_EQ(text->GetMainFont(), gui.GetFont(kTestFont, 9, 0).Get());
    EXPECT_FLOAT_EQ(text->ReadFloat("scale"), 2.0f);
    // That factor draws the glyphs; the box about the anchor stays as laid out.
    text->SetPositionXY(300, 100);
    text->WriteFloat("xanchor", 0.5f);
    text->WriteFloat("yanchor", 1.0f);
    EXPECT_FLOAT_EQ(text->GetLeft(), 300 - text->GetXSize() / 2);
    EXPECT_FLOAT_EQ(text->GetTop(), 100 - text->GetYSize());
    EXPECT_EQ(text->GetAnchorOffset(), (Vec2{300, 100}));
    EXPECT_EQ(MakeText(frame.Get(), {{"size", Vrel::Var(0)}})->ReadFloat("scale", -1.0f), 0.0f);
    EXPECT_FLOAT_EQ(MakeText(frame.Get(), {{"size", Vrel::Var(-12)}})->ReadFloat("scale"), 12.0f / 11.0f);

    AutoRef<GuiText> hi = MakeText(frame.Get(), {{"text", Vrel::Var("Hi")}, {"linefeed", Vrel::Var(150)}});
    Font* font = hi->GetMainFont();
    EXPECT_FLOAT_EQ(hi->GetXSize(), WidthOf(font, u"Hi"));
    EXPECT_FLOAT_EQ(hi->GetYSize(), font->GetLineHeight() * 1.5f);
    hi->SetText(u"Hello there, much longer");
    EXPECT_FLOAT_EQ(hi->GetXSize(), WidthOf(font, u"Hi"));
    AutoRef<GuiText> sized = MakeText(frame.Get(), {{"text", Vrel::Var("Hi")}, {"xsize", Vrel::Var(200.0f)}});
    EXPECT_EQ(sized->GetXSize(), 200.0f);
    sized->SetSize(0, 0);
    EXPECT_FLOAT_EQ(sized->GetXSize(), WidthOf(font, u"Hi"));
}

TEST_F(GuiTextTest, ClicksPlaceTheCaretAtTheNearestGap) {
    AutoRef<GuiText> text = Input(u"abc");
    const auto a = static_cast<int32_t>(text->GetMainFont()->FindGlyph('a')->advanceX);
    const auto b = static_cast<int32_t>(text->GetMainFont()->FindGlyph('b')->advanceX);
    const std::vector<int32_t> carets = {text->CaretFromX(-1), text->CaretFromX(0), text->CaretFromX(a / 2 - 1),
                                         text->CaretFromX(a), text->CaretFromX(a + b - 1), text->CaretFromX(9999)};
    EXPECT_EQ(carets, (std::vector<int32_t>{-1, 0, 0, 1, 2, -1}));
    gui.SetKeyboardFocus(nullptr);
    log.clear();
    testsupport::Click(frame.Get(), static_cast<float>(a + b - 1), 5);
    EXPECT_EQ(text->GetCaret(), 2);
    EXPECT_EQ(gui.GetKeyboardFocus(), text.Get());
    const std::string enter = "6 in " + std::to_string(a + b - 1) + ",5";
    EXPECT_EQ(log, (std::vector<std::string>{enter, "3 in 1", "12 in", "4 in 1"}));
}

TEST_F(GuiTextTest, EditingKeysChangeTheLineAndEnterCommitsIt) {
    AutoRef<GuiText> text = Input(u"hello");
    EXPECT_EQ(log, (std::vector<std::string>{"12 in"}));
    Keys(text.Get(), {{8, 0}, {0, 8}, {36, 0}, {46, 0}, {39, 0}, {0, 'X'}});
    EXPECT_EQ(text->GetLineText(0), u"eXll");
    EXPECT_EQ(text->GetCaret(), 2);
    EXPECT_EQ(TextOf(text.Get()), u"hello");  // only Enter writes "text"
    EXPECT_FLOAT_EQ(text->GetLineWidth(0), GuiText::MeasureChars(text->GetMainFont(), u"eXll"));
    Keys(text.Get(), {{37, 0}, {37, 0}, {37, 0}, {0, 1}, {0, 'q'}});
    EXPECT_EQ(text->GetLineText(0), u"q");
    Keys(text.Get(), {{0, 1}, {8, 0}});
    EXPECT_EQ(text->GetLineText(0), u"");
    text->WriteBool("input_no_empty_string", true);
    Keys(text.Get(), {{13, 0}});
    EXPECT_EQ(gui.GetKeyboardFocus(), text.Get());
    Keys(text.Get(), {{0, 'o'}, {0, 'k'}, {36, 0}, {46, 0}, {13, 0}});
    EXPECT_EQ(TextOf(text.Get()), u"k");
    EXPECT_EQ(gui.GetKeyboardFocus(), nullptr);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "13 in");
    // The caret is brought back inside a shorter text before any edit.
    text->WriteBool("mark_all", true);
    text->TakeFocus();
    EXPECT_TRUE((text->GetTextFlags() & GuiText::kFlagAllSelected) && !text->HasProperty("mark_all"));
    text->SetText(u"abcdef");
    EXPECT_FALSE(text->GetTextFlags() & GuiText::kFlagAllSelected);
    Keys(text.Get(), {{35, 0}});
    text->SetText(u"ab");
    EXPECT_EQ(text->GetCaret(), 2);
    Keys(text.Get(), {{8, 0}});
    EXPECT_EQ(text->GetLineText(0), u"a");
    EXPECT_FALSE(MakeText(frame.Get(), {})->TakeFocus());
}

TEST_F(GuiTextTest, TypingStopsFourPixelsShortOfEitherLimit) {
    AutoRef<GuiText> text = Input(u"", 100);
    text->WriteFloat("input_max_pixels", 60);
    for (int i = 0; i < 20; ++i) Keys(text.Get(), {{0, 'm'}});
    const std::u16string typed = text->GetLineText(0);
    EXPECT_LE(GuiText::MeasureChars(text->GetInputFont(), typed) + 4, 60);
    EXPECT_GT(GuiText::MeasureChars(text->GetInputFont(), typed + u"m") + 4, 60);
    EXPECT_EQ(text->GetCaret(), static_cast<int32_t>(typed.size()));
    // A text longer than the limit is cut in a string of its own: the
    // script's string keeps its text.
    AutoRef<Vrel::VarUnicode> shared(new Vrel::VarUnicode("a long text for a short field"));
    AutoRef<GuiText> cut = MakeText(frame.Get(), {{"text", Vrel::Var(shared.Get())},
                                                  {"input_max_pixels", Vrel::Var(30.0f)}});
    EXPECT_EQ(shared->GetText(), u"a long text for a short field");
    EXPECT_LT(TextOf(cut.Get()).size(), 10u);
    EXPECT_EQ(cut->GetLineText(0), TextOf(cut.Get()));
}

TEST_F(GuiTextTest, GlyphUseCountsBalanceOverCreatingEditingAndDestroying) {
    AutoRef<Font> font = gui.GetFont(kTestFont, 12, 0);
    {
        AutoRef<GuiText> label = MakeText(frame.Get(), {{"text", Vrel::Var("label")}, {"outline", Vrel::Var(64)}});
        AutoRef<GuiText> text = Input(u"xy");
        Keys(text.Get(), {{0, 'z'}, {36, 0}, {46, 0}, {8, 0}, {0, 1}, {0, 'q'}, {0, 'r'}, {13, 0}});
        EXPECT_TRUE(font->FindGlyph('r') && !font->FindGlyph('x'));
        text->SetText(u"abc");
        frame->Remove(frame.Get());
        frame->DetachChildren();
    }
    EXPECT_EQ(font->GetGlyphCount(), 1u);  // the caret stays until the font goes
    EXPECT_NE(font->FindGlyph(Font::kCaretCode), nullptr);

    // A glyph that found no cell is not released later in another text's name.
    gl.maxTextureSize = 64;  // two cells of this size per atlas
    AutoRef<Font> small = gui.GetFont(kTestFont, 13, 0);
    auto make = [&](const char* content) {
        return MakeText(frame.Get(), {{"size", Vrel::Var(13)}, {"text", Vrel::Var(content)}});
    };
    AutoRef<GuiText> first = make("a");   // the space and 'a' fill the atlas
    AutoRef<GuiText> second = make("b");  // 'b' finds no cell
    EXPECT_EQ(small->FindGlyph('b'), nullptr);
    first->RemoveAndDetach();
    first.Reset();
    AutoRef<GuiText> third = make("b");
    ASSERT_NE(small->FindGlyph('b'), nullptr);
    second->RemoveAndDetach();
    second.Reset();
    EXPECT_NE(small->FindGlyph('b'), nullptr);
}

// Keys as the window layer delivers them: SDL events through the message
// pump and the window procedure onto the input queue.
TEST_F(GuiTextTest, KeypadDigitsTypeWithNumLockAndMoveWithout) {
    ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS), 0) << SDL_GetError();
    InputQueue::Global().Clear();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    auto push = [](SDL_Scancode scancode, SDL_Keycode keycode, uint16_t mod) {
        SDL_Event e{SDL_KEYDOWN};
        e.key.state = SDL_PRESSED;
        e.key.keysym = {scancode, keycode, mod, 0};
        SDL_PushEvent(&e);
    };
    auto text = [](const char* typed) {
        SDL_Event e{SDL_TEXTINPUT};
        SDL_strlcpy(e.text.text, typed, sizeof e.text.text);
        SDL_PushEvent(&e);
    };
    push(SDL_SCANCODE_KP_4, SDLK_KP_4, KMOD_NUM);
    text("4");
    push(SDL_SCANCODE_KP_4, SDLK_KP_4, 0);
    push(SDL_SCANCODE_KP_6, SDLK_KP_6, KMOD_NUM);
    text("6");
    AutoRef<GuiText> input = Input(u"ab");
    os::MessagePump pump(nullptr, MainWindowProc);
    int code = 0;
    ASSERT_TRUE(pump.PumpWaiting(code));
    while (auto event = InputQueue::Global().PopFront()) frame->RouteInput(*event);
    EXPECT_EQ(input->GetLineText(0), u"ab64");
    EXPECT_EQ(input->GetCaret(), 3);
    SDL_Quit();
}

TEST_F(GuiTextTest, EachPassDrawsAllItsGlyphsInOneCall) {
    AutoRef<GuiText> text = MakeText(frame.Get(), {{"text", Vrel::Var("ab\ncd")}, {"multiline", Vrel::Var(true)},
                                                   {"linebreak", Vrel::Var(true)}, {"outline", Vrel::Var(64)}});
    ASSERT_EQ(text->GetLineCount(), 2u);
    gl.calls.clear();
    frame->Render(0, 0, 1, 1, Matrix4());
    std::vector<std::string> draws;
    for (const std::string& call : gl.calls)
        if (call.rfind("DrawElements", 0) == 0) draws.push_back(call.substr(0, call.rfind(',')));
    // The outline pass, then the text: four glyphs of six indices each.
    EXPECT_EQ(draws, (std::vector<std::string>{"DrawElements(0x4,24,0x1403", "DrawElements(0x4,24,0x1403"}));
}

}  // namespace
