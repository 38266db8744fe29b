// The Windows window in process, under Wine: read as a user's tools read a
// window (its controls' classes, texts, places and visibility, the bars'
// positions, the patches' pixels, the accessible objects), and driven by the
// messages the user's mouse and keys send.
#include "look/look.h"
#include "look/spoken.h"
#include "tests/support/whole_measurement.h"
#include "win/form_window.h"

#include <commctrl.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

namespace tintora::win {
namespace {

    std::string text_of(HWND hwnd)
    {
        std::wstring text(256, L'\0');
        text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), 256)));
        return narrow(text);
    }

    class WindowsView final : public check::MeasurementView {
    public:
        explicit WindowsView(FormWindow& window)
            : m_window(window)
        {
        }
        bool shown(model::ControlId control) const override
        {
            return IsWindowVisible(hwnd(control)) != FALSE;
        }
        std::string caption(model::LabelName label) const override { return text_of(hwnd(label)); }
        int value(model::BarName bar) const override { return GetScrollPos(hwnd(bar), SB_CTL); }
        model::Colour colour(model::ShapeName patch) const override
        {
            UpdateWindow(m_window.hwnd());
            RECT box {};
            GetClientRect(hwnd(patch), &box);
            HDC const dc = GetDC(hwnd(patch));
            COLORREF const pixel = GetPixel(dc, box.right / 2, box.bottom / 2);
            ReleaseDC(hwnd(patch), dc);
            return model::rgb(GetRValue(pixel), GetGValue(pixel), GetBValue(pixel));
        }
        double top(model::ControlId control) const override
        {
            return place(control).top * 1440.0 / m_window.dpi();
        }
        std::string focused() const override
        {
            for (std::size_t i = 0; i < model::control_table.size(); ++i) {
                if (hwnd(model::ControlId::of(i)) == GetFocus())
                    return std::string(model::control_table[i].name);
            }
            return {};
        }
        HWND hwnd(model::ControlId control) const { return m_window.hwnd_of(control); }
        RECT place(model::ControlId control) const
        {
            RECT box {};
            GetWindowRect(hwnd(control), &box);
            MapWindowPoints(nullptr, m_window.hwnd(), reinterpret_cast<POINT*>(&box), 2);
            return box;
        }

    private:
        FormWindow& m_window;
    };

    // The messages a user's mouse and keys send, handled as the program's
    // loop handles them.
    class WindowsHands final : public check::Hands {
    public:
        WindowsHands(FormWindow& window, WindowsView const& view)
            : m_window(window)
            , m_view(view)
        {
        }
        void press(model::ButtonName button, bool by_key) override
        {
            if (by_key)
                key(button, VK_RETURN);
            else
                click(m_view.hwnd(button), 0.5);
        }
        void move(model::BarName bar, look::BarMove move, bool by_key) override
        {
            static constexpr std::array<WORD, 6> keys { VK_LEFT, VK_RIGHT, VK_PRIOR, VK_NEXT, VK_HOME,
                VK_END };
            // Where on the bar a click makes the move: its end arrows, the
            // track next to them.
            static constexpr std::array<double, 4> parts { 0.02, 0.98, 0.2, 0.8 };
            if (by_key)
                key(bar, keys.at(static_cast<std::size_t>(move)));
            else
                click(m_view.hwnd(bar), parts.at(static_cast<std::size_t>(move)));
        }
        // Handles what is waiting; the status of a WM_QUIT among it, or -1.
        int pump()
        {
            MSG message {};
            int quit = -1;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
                if (message.message == WM_QUIT)
                    quit = static_cast<int>(message.wParam);
                else if (!m_window.take_key(message)) {
                    TranslateMessage(&message);
                    DispatchMessageW(&message);
                }
            }
            return quit;
        }
        // Tab to the control, then its key.
        void key(model::ControlId control, WORD code)
        {
            for (int tabs = 0; tabs < 14 && GetFocus() != m_view.hwnd(control); ++tabs) {
                PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 1);
                pump();
            }
            PostMessageW(GetFocus(), WM_KEYDOWN, code, 1);
            PostMessageW(GetFocus(), WM_KEYUP, code, 1 | (3U << 30));
            pump();
        }
        void click(HWND target, double across)
        {
            RECT box {};
            GetClientRect(target, &box);
            LPARAM const at = MAKELPARAM(static_cast<int>(box.right * across), box.bottom / 2);
            PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, at);
            PostMessageW(target, WM_LBUTTONUP, 0, at);
            pump();
        }

    private:
        FormWindow& m_window;
        WindowsView const& m_view;
    };

    class WindowsWindow : public ::testing::Test {
    protected:
        WindowsWindow()
        {
            window->set_error_sink([this](std::string const& message) { reported = message; });
            SetForegroundWindow(window->hwnd());
            hands.pump();
        }

        measurement::testing::ScriptedRandom* random = new measurement::testing::ScriptedRandom;
        std::unique_ptr<FormWindow> window
            = std::make_unique<FormWindow>(std::unique_ptr<measurement::RandomSource>(random));
        WindowsView view { *window };
        WindowsHands hands { *window, view };
        std::string reported;
    };

    TEST_F(WindowsWindow, WholeMeasurementByMouseAndKeyboard)
    {
        check::play_whole_measurement(hands, view, *random, true);
        EXPECT_EQ(reported, "");
    }

    // Each control the standard one of its kind, with its caption, in its
    // designed place at 96 dpi, and scaled whole on a screen of twice that.
    TEST_F(WindowsWindow, EveryControlIsTheStandardOneOfItsKindInItsDesignedPlaceAtEveryDensity)
    {
        static constexpr std::array<wchar_t const*, 4> classes { L"Static", L"Button", L"ScrollBar",
            L"Static" };
        for (int const dpi : { 96, 192 }) {
            if (dpi != window->dpi()) {
                // The window moved to a screen of that density, with the
                // frame the system suggests for it.
                RECT frame { 0, 0, look::pixels(look::client_width_twips, dpi),
                    look::pixels(look::client_height_twips, dpi) };
                AdjustWindowRectExForDpi(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0, static_cast<UINT>(dpi));
                SendMessageW(
                    window->hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&frame));
            }
            RECT client {};
            GetClientRect(window->hwnd(), &client);
            EXPECT_EQ(client.right, look::pixels(look::client_width_twips, dpi));
            EXPECT_EQ(client.bottom, look::pixels(look::client_height_twips, dpi));
            for (std::size_t i = 0; i < model::control_table.size(); ++i) {
                auto const& row = model::control_table[i];
                auto const id = model::ControlId::of(i);
                SCOPED_TRACE(std::string(row.name) + " at " + std::to_string(dpi));
                std::wstring kind(32, L'\0');
                kind.resize(static_cast<std::size_t>(GetClassNameW(view.hwnd(id), kind.data(), 32)));
                EXPECT_EQ(_wcsicmp(kind.c_str(), classes.at(static_cast<std::size_t>(row.kind))), 0);
                RECT const box = view.place(id);
                auto const& place = row.place;
                EXPECT_EQ(std::tie(box.left, box.top, box.right, box.bottom),
                    std::make_tuple(look::pixels(place.left, dpi), look::pixels(place.top, dpi),
                        look::pixels(place.left + place.width, dpi),
                        look::pixels(place.top + place.height, dpi)));
                if (row.kind == model::Kind::Label || row.kind == model::Kind::CommandButton) {
                    EXPECT_EQ(text_of(view.hwnd(id)), row.caption);
                }
                // The tooltip's words, in the window's standard font.
                std::wstring tip(256, L'\0');
                TTTOOLINFOW tool { sizeof tool, TTF_IDISHWND, window->hwnd(),
                    reinterpret_cast<UINT_PTR>(view.hwnd(id)), {}, nullptr, tip.data(), 0, nullptr };
                SendMessageW(window->tooltips(), TTM_GETTEXTW, tip.size(), reinterpret_cast<LPARAM>(&tool));
                EXPECT_EQ(narrow(tip.c_str()), row.tooltip);
            }
            LOGFONTW face {};
            GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window->tooltips(), WM_GETFONT, 0, 0)),
                sizeof face, &face);
            EXPECT_EQ(narrow(face.lfFaceName), look::families_of(look::standard_font.typeface)[0]);
            EXPECT_EQ(face.lfHeight, -std::lround(look::font_pixels(9, dpi)));
        }
        EXPECT_EQ(text_of(window->hwnd()), look::window_title);
    }

    // Labels break their captions where Japanese typesetting allows, as
    // Qt and the browsers do.
    TEST(CaptionLines, BreakWhereJapaneseTypesettingAllows)
    {
        struct Row {
            std::wstring text;
            std::size_t fitting; // how many of its first characters fit the width
            std::vector<std::wstring> lines;
        };
        std::vector<Row> const rows {
            { L"下のスクロールバーを", 8, { L"下のスクロール", L"バーを" } },
            { L"ああ「確定」ボタン", 3, { L"ああ", L"「確", L"定」ボ", L"タン" } },
            { L"押してください。", 7, { L"押してくださ", L"い。" } },
            { L"あいう\u3000えお", 3, { L"あいう", L"えお" } },
            { L"Push the button", 10, { L"Push the", L"button" } },
        };
        HDC const dc = GetDC(nullptr);
        for (auto const& row : rows) {
            SCOPED_TRACE(narrow(row.text));
            SIZE size {};
            GetTextExtentPoint32W(dc, row.text.c_str(), static_cast<int>(row.fitting), &size);
            EXPECT_EQ(caption_lines(dc, row.text, static_cast<int>(size.cx)), row.lines);
        }
        ReleaseDC(nullptr, dc);
    }

    // Screen readers are told each control's name: the bars by their
    // channel, the patches by their letters, as graphics, the buttons by
    // their captions, each label as look/ reads it where the system takes
    // annotations of accessible objects (Windows does; where Wine does not,
    // the labels read as their captions). After each step, the same
    // sentence as the other editions, by a live region.
    std::string told;
    void CALLBACK heard(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD, DWORD)
    {
        IAccessible* accessible = nullptr;
        VARIANT which {};
        if (SUCCEEDED(AccessibleObjectFromEvent(
                hwnd, static_cast<DWORD>(object), static_cast<DWORD>(child), &accessible, &which))) {
            BSTR name = nullptr;
            if (SUCCEEDED(accessible->get_accName(which, &name)) && name != nullptr)
                told = narrow(name);
            SysFreeString(name);
            accessible->Release();
        }
    }

    TEST_F(WindowsWindow, ScreenReadersAreToldWhatLookSays)
    {
        bool annotated = false;
        for (std::size_t i : look::stacking_order) {
            auto const id = model::ControlId::of(i);
            SCOPED_TRACE(std::string(id.name()));
            IAccessible* accessible = nullptr;
            ASSERT_TRUE(SUCCEEDED(AccessibleObjectFromWindow(view.hwnd(id), static_cast<DWORD>(OBJID_CLIENT),
                __uuidof(IAccessible), reinterpret_cast<void**>(&accessible))));
            VARIANT self {};
            self.vt = VT_I4;
            self.lVal = CHILDID_SELF;
            BSTR name = nullptr;
            accessible->get_accName(self, &name);
            auto const spoken = look::spoken_of(i);
            auto const& row = model::control_table[i];
            VARIANT role {};
            accessible->get_accRole(self, &role);
            // The patches lie lowest, and say first whether annotations hold.
            if (row.kind == model::Kind::Shape)
                annotated = role.lVal == ROLE_SYSTEM_GRAPHIC;
            std::string const expected = row.kind != model::Kind::Label
                ? (spoken.name.empty() ? std::string(row.caption) : spoken.name)
                : annotated ? look::spoken_caption(spoken.role, row.caption)
                            : std::string(row.caption);
            EXPECT_EQ(name == nullptr ? std::string() : narrow(name), expected);
            SysFreeString(name);
            accessible->Release();
        }
        std::printf("annotations of accessible objects %s\n", annotated ? "hold" : "are not taken here");
        HWINEVENTHOOK const hook = SetWinEventHook(EVENT_OBJECT_LIVEREGIONCHANGED,
            EVENT_OBJECT_LIVEREGIONCHANGED, nullptr, heard, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
        random->then({ 1, 2, 3 });
        hands.press(model::start_button, false);
        hands.pump();
        UnhookWinEvent(hook);
        EXPECT_EQ(told, look::announcement_after(window->form(), window->form().button(model::start_button)));
    }

    // A user pressing whatever shows, at random, by mouse and by keys:
    // after every event the window must still tell the truth.
    TEST_F(WindowsWindow, NoSequenceOfEventsBreaksTheWindow)
    {
        std::mt19937 rng(7);
        for (int i = 0; i < 3000; ++i)
            random->then({ static_cast<int>(rng() % 256) });
        EXPECT_GT(check::play_at_random(hands, view, 7, 600), 3);
        EXPECT_EQ(reported, "");
    }

    // A run-time error is reported, naming the control and the event (the
    // program's own report, a message box and status 1, is not run here: the
    // box would wait for a user); ＥＮＤ and closing the window end it with 0.
    TEST_F(WindowsWindow, AnErrorIsReportedAndEndAndClosingEndTheProgram)
    {
        hands.press(model::start_button, false);
        EXPECT_EQ(reported, "StartButton.Click: the script has no more values");
        PostMessageW(view.hwnd(model::end_button), BM_CLICK, 0, 0);
        EXPECT_EQ(hands.pump(), 0) << "ＥＮＤ";
        PostMessageW(window->hwnd(), WM_CLOSE, 0, 0);
        EXPECT_EQ(hands.pump(), 0) << "the close box";
    }

}
}
