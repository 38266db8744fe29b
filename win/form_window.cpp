#include "win/form_window.h"

#include "look/bar.h"
#include "look/look.h"
#include "look/spoken.h"
#include "model/channels.h"
#include "model/error.h"
#include "win/accessibility.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <vector>

namespace tintora::win {

namespace {

    constexpr wchar_t const* window_class = L"TintoraForm1";
    constexpr DWORD window_style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    constexpr wchar_t down_arrow = L'\u2193';

    COLORREF colour(model::Colour design)
    {
        auto const drawn = look::shade_of(design);
        return RGB(model::channel_of(drawn, 0), model::channel_of(drawn, 1), model::channel_of(drawn, 2));
    }

    model::ControlRow const& row(std::size_t index) { return model::control_table[index]; }

    void fill(HDC dc, RECT const& box, model::Colour design)
    {
        HBRUSH const brush = CreateSolidBrush(colour(design));
        FillRect(dc, &box, brush);
        DeleteObject(brush);
    }

    void line(HDC dc, POINT from, POINT to, COLORREF pen_colour)
    {
        HPEN const pen = CreatePen(PS_SOLID, 1, pen_colour);
        HGDIOBJ const old = SelectObject(dc, pen);
        MoveToEx(dc, from.x, from.y, nullptr);
        LineTo(dc, to.x, to.y);
        SelectObject(dc, old);
        DeleteObject(pen);
    }

    // A raised edge one pixel wide: light above and to the left, dark below
    // and to the right.
    void edge(HDC dc, RECT const& r, model::Colour light, model::Colour dark)
    {
        line(dc, { r.left, r.bottom - 1 }, { r.left, r.top }, colour(light));
        line(dc, { r.left, r.top }, { r.right - 1, r.top }, colour(light));
        line(dc, { r.left, r.bottom - 1 }, { r.right - 1, r.bottom - 1 }, colour(dark));
        line(dc, { r.right - 1, r.top }, { r.right - 1, r.bottom }, colour(dark));
    }

    bool overlap(RECT const& a, RECT const& b)
    {
        RECT both {};
        return IntersectRect(&both, &a, &b) != FALSE;
    }

    bool latin(wchar_t c) { return c < 0x80 && iswalnum(c) != 0; }
    bool space(wchar_t c) { return c == L' ' || c == L'\u3000'; }
    // What Japanese typesetting keeps from the start of a line (closing
    // marks, the long vowel mark, small kana) and from its end (opening marks).
    bool starts_no_line(wchar_t c)
    {
        return std::wstring_view(
                   L"、。，．・：；？！ー…ぁぃぅぇぉっゃゅょァィゥェォッャュョ」』）］〕〉》】,.:;!?)]")
                   .find(c)
            != std::wstring_view::npos;
    }
    bool ends_no_line(wchar_t c)
    {
        return std::wstring_view(L"「『（［〔〈《【([").find(c) != std::wstring_view::npos;
    }

    void report_and_exit(std::string const& message)
    {
        std::string const said = "tintora: " + message;
        std::fprintf(stderr, "%s\n", said.c_str());
        std::fflush(stderr);
        MessageBoxW(nullptr, wide(said).c_str(), L"Tintora", MB_ICONERROR | MB_OK);
        PostQuitMessage(1);
    }

}

std::wstring wide(std::string_view utf8)
{
    int const length
        = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), length);
    return text;
}

std::string narrow(std::wstring_view utf16)
{
    int const length = WideCharToMultiByte(
        CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(
        CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), text.data(), length, nullptr, nullptr);
    return text;
}

// Wherever the next character would overflow the width, between any two
// full-width characters unless that puts a closing mark at a line's start or
// an opening one at its end, at a space within a run of Latin letters. The
// spaces at a break stay at the end of its line, where they take no room.
std::vector<std::wstring> caption_lines(HDC dc, std::wstring text, int width)
{
    std::vector<std::wstring> lines;
    while (!text.empty()) {
        int fit = 0;
        SIZE size {};
        GetTextExtentExPointW(dc, text.c_str(), static_cast<int>(text.size()), width, &fit, nullptr, &size);
        auto cut = std::min(static_cast<std::size_t>(std::max(fit, 1)), text.size());
        if (cut < text.size() && latin(text[cut]) && latin(text[cut - 1])) {
            if (auto const at = text.rfind(L' ', cut); at != std::wstring::npos && at > 0)
                cut = at + 1;
        }
        while (cut > 1 && cut < text.size() && (starts_no_line(text[cut]) || ends_no_line(text[cut - 1])))
            --cut;
        while (cut < text.size() && space(text[cut]))
            ++cut;
        auto shown = text.substr(0, cut);
        while (!shown.empty() && space(shown.back()))
            shown.pop_back();
        lines.push_back(shown);
        text.erase(0, cut);
    }
    return lines;
}

void EndButton_Click() { PostQuitMessage(0); }

FormWindow::FormWindow(std::unique_ptr<measurement::RandomSource> random)
    : m_random(random ? std::move(random) : std::make_unique<measurement::ClockSeededRandom>())
    , m_measurement(m_form, *m_random)
    , m_error_sink(report_and_exit)
{
    HINSTANCE const instance = GetModuleHandleW(nullptr);
    static bool const registered = [instance] {
        WNDCLASSEXW kind {};
        kind.cbSize = sizeof kind;
        kind.lpfnWndProc = procedure;
        kind.hInstance = instance;
        kind.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
        kind.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
        kind.hbrBackground = CreateSolidBrush(colour(look::window_colour));
        kind.lpszClassName = window_class;
        return RegisterClassExW(&kind) != 0;
    }();
    (void)registered;
    measurement::connect(m_form, m_measurement);
    m_form.button(model::end_button).Click = EndButton_Click;
    m_hwnd = CreateWindowExW(0, window_class, wide(look::window_title).c_str(), window_style, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
    m_dpi = static_cast<int>(GetDpiForWindow(m_hwnd));
    size_client();
    m_accessibility = std::make_unique<Accessibility>(m_hwnd);
    create_children();
    lay_out();
    ShowWindow(m_hwnd, SW_SHOWNORMAL);
    // No focus mark until the keyboard is in use.
    SendMessageW(m_hwnd, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
    SetFocus(m_children[look::first_shown_tab_stop(m_form)->index()]);
}

FormWindow::~FormWindow()
{
    if (IsWindow(m_hwnd))
        DestroyWindow(m_hwnd);
    for (auto const& [key, font] : m_fonts)
        DeleteObject(font);
}

// Made from the bottom up: each new control stands over those made before.
// Labels and patches are statics the window draws in their looks; buttons
// drawn in their back colour are owner-drawn, the standard one is the
// system's; the bars are the system's scroll bars.
void FormWindow::create_children()
{
    HINSTANCE const instance = GetModuleHandleW(nullptr);
    for (auto const index : look::stacking_order) {
        auto const& design = row(index);
        auto const* drawn = look::find_look(design.name);
        auto const spoken = look::spoken_of(index);
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (design.visible ? WS_VISIBLE : 0);
        wchar_t const* kind = L"STATIC";
        std::wstring text = wide(design.caption);
        switch (design.kind) {
        case model::Kind::Label:
            style |= SS_OWNERDRAW | (design.tooltip.empty() ? 0 : SS_NOTIFY);
            break;
        case model::Kind::Shape:
            style |= SS_OWNERDRAW;
            text = wide(spoken.name);
            break;
        case model::Kind::CommandButton:
            kind = L"BUTTON";
            style |= WS_TABSTOP | (drawn->face == look::Face::Graphical ? BS_OWNERDRAW : BS_PUSHBUTTON);
            break;
        case model::Kind::HScrollBar:
            kind = L"SCROLLBAR";
            style |= WS_TABSTOP | SBS_HORZ;
            text = wide(spoken.name);
            break;
        }
        HWND const child = CreateWindowExW(0, kind, text.c_str(), style, 0, 0, 0, 0, m_hwnd,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(index + 1)), instance, nullptr);
        m_children[index] = child;
        if (design.kind == model::Kind::HScrollBar) {
            SCROLLINFO info { sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, model::HScrollBar::Min,
                model::HScrollBar::Max, 0, model::HScrollBar::opening_value, 0 };
            SetScrollInfo(child, SB_CTL, &info, FALSE);
        }
        bind(m_form.control(index));
    }
    m_tooltips
        = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hwnd, nullptr, instance, nullptr);
    for (std::size_t index = 0; index < model::control_table.size(); ++index) {
        if (row(index).tooltip.empty())
            continue;
        auto text = wide(row(index).tooltip);
        TOOLINFOW tool {};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = m_hwnd;
        tool.uId = reinterpret_cast<UINT_PTR>(m_children[index]);
        tool.lpszText = text.data();
        SendMessageW(m_tooltips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

// The window follows the model: what a handler writes is shown, placed and
// told to screen readers.
void FormWindow::bind(model::Control& control)
{
    auto const index = control.index();
    HWND const child = m_children[index];
    auto const spoken = look::spoken_of(index);
    control.Visible.observe([this, index, child](bool visible) {
        ShowWindow(child, visible ? SW_SHOWNA : SW_HIDE);
        repaint(index);
    });
    switch (control.kind()) {
    case model::Kind::Label: {
        auto& label = static_cast<model::Label&>(control);
        auto const tell = [this, child, spoken](std::string const& caption) {
            m_accessibility->describe(
                child, wide(look::spoken_caption(spoken.role, caption)), wide(spoken.description));
        };
        tell(label.Caption);
        label.Caption.observe([this, index, child, tell](std::string const& caption) {
            SetWindowTextW(child, wide(caption).c_str());
            tell(caption);
            repaint(index);
        });
        label.Top.observe([this, index](float) {
            repaint(index);
            RECT const box = place_of(index);
            SetWindowPos(m_children[index], nullptr, box.left, box.top, box.right - box.left,
                box.bottom - box.top, SWP_NOZORDER | SWP_NOACTIVATE);
            repaint(index);
        });
        break;
    }
    case model::Kind::HScrollBar:
        static_cast<model::HScrollBar&>(control).Value.observe(
            [child](int value) { SetScrollPos(child, SB_CTL, value, TRUE); });
        m_accessibility->describe(child, wide(spoken.name), wide(spoken.description));
        break;
    case model::Kind::Shape:
        static_cast<model::Shape&>(control).BackColor.observe(
            [this, index](model::Colour) { repaint(index); });
        m_accessibility->describe(child, wide(spoken.name), wide(spoken.description), true);
        break;
    case model::Kind::CommandButton:
        m_accessibility->describe(child, wide(row(index).caption), wide(spoken.description));
        break;
    }
}

// The client area as designed, at the window's own density: the frame is
// what is left of the window once the client area is taken away.
void FormWindow::size_client()
{
    RECT window {};
    RECT client {};
    GetWindowRect(m_hwnd, &window);
    GetClientRect(m_hwnd, &client);
    int const width
        = look::pixels(look::client_width_twips, m_dpi) + (window.right - window.left) - client.right;
    int const height
        = look::pixels(look::client_height_twips, m_dpi) + (window.bottom - window.top) - client.bottom;
    SetWindowPos(m_hwnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT FormWindow::place_of(std::size_t index) const
{
    auto const& place = row(index).place;
    double top = place.top;
    if (auto const* label = dynamic_cast<model::Label const*>(&m_form.control(index)))
        top = label->Top;
    int const left = look::pixels(place.left, m_dpi);
    int const y = look::pixels(top, m_dpi);
    return { left, y, left + look::pixels(place.width, m_dpi), y + look::pixels(place.height, m_dpi) };
}

// The designed places at the window's density: at 96 dpi as designed,
// scaled on other screens, and again when the window moves to one.
void FormWindow::lay_out()
{
    for (std::size_t index = 0; index < m_children.size(); ++index) {
        RECT const box = place_of(index);
        SetWindowPos(m_children[index], nullptr, box.left, box.top, box.right - box.left,
            box.bottom - box.top, SWP_NOZORDER | SWP_NOACTIVATE);
        if (row(index).kind == model::Kind::CommandButton)
            SendMessageW(m_children[index], WM_SETFONT, reinterpret_cast<WPARAM>(font(index)), FALSE);
    }
    // Tooltips in the window's standard font, which has the Japanese.
    SendMessageW(m_tooltips, WM_SETFONT, reinterpret_cast<WPARAM>(font(look::standard_font)), FALSE);
    InvalidateRect(m_hwnd, nullptr, TRUE);
}

// A control's font at the window's density: its typeface, by the designed
// name, which a system without it replaces (the IPA fonts, under Wine).
HFONT FormWindow::font(std::size_t index) { return font(look::find_look(row(index).name)->font); }

HFONT FormWindow::font(look::Font const& design)
{
    auto const key = std::make_tuple(static_cast<int>(design.typeface), static_cast<int>(design.points * 100),
        design.bold, design.italic, m_dpi);
    auto& made = m_fonts[key];
    if (made == nullptr) {
        LOGFONTW face {};
        double const points = design.points > 0 ? design.points : 9;
        face.lfHeight = -static_cast<LONG>(std::lround(look::font_pixels(points, m_dpi)));
        face.lfWeight = design.bold ? FW_BOLD : FW_NORMAL;
        face.lfItalic = design.italic ? TRUE : FALSE;
        face.lfCharSet = SHIFTJIS_CHARSET;
        auto const name = wide(look::families_of(design.typeface)[0]);
        name.copy(face.lfFaceName, LF_FACESIZE - 1);
        made = CreateFontIndirectW(&face);
    }
    return made;
}

int FormWindow::index_of(HWND child) const
{
    auto const found = std::find(m_children.begin(), m_children.end(), child);
    return child == nullptr || found == m_children.end() ? -1 : static_cast<int>(found - m_children.begin());
}

// A control shows anew, and so do those above it that show it through.
void FormWindow::repaint(std::size_t index)
{
    auto const order = look::stacking_order;
    auto const at = std::find(order.begin(), order.end(), index);
    RECT const box = place_of(index);
    InvalidateRect(m_children[index], nullptr, TRUE);
    for (auto above = at; above != order.end(); ++above) {
        if (overlap(place_of(*above), box))
            InvalidateRect(m_children[*above], nullptr, TRUE);
    }
}

void FormWindow::draw(DRAWITEMSTRUCT const& item)
{
    if (item.CtlID == 0)
        return; // the announcer draws nothing
    auto const index = static_cast<std::size_t>(item.CtlID - 1);
    if (row(index).kind == model::Kind::CommandButton)
        draw_button(item, index);
    else
        draw_control(item.hDC, index, { item.rcItem.left, item.rcItem.top });
}

// A patch, or a label, with its top-left corner at the origin given.
void FormWindow::draw_control(HDC dc, std::size_t index, POINT origin)
{
    RECT const place = place_of(index);
    RECT const box { origin.x, origin.y, origin.x + place.right - place.left,
        origin.y + place.bottom - place.top };
    if (row(index).kind == model::Kind::Shape)
        fill(dc, box, m_form.shape(model::ShapeName::of_row(index)).BackColor);
    else if (row(index).kind == model::Kind::Label)
        draw_label(dc, index, box);
}

// A label from the top edge, line by line, each line aligned left or
// centred. A transparent one shows what lies beneath it; the hint's arrows
// stand over the end arrows of the bar below it.
void FormWindow::draw_label(HDC dc, std::size_t index, RECT box)
{
    auto const& drawn = *look::find_look(row(index).name);
    RECT const place = place_of(index);
    if (drawn.face == look::Face::Transparent) {
        fill(dc, box, look::window_colour);
        auto const order = look::stacking_order;
        int const saved = SaveDC(dc);
        IntersectClipRect(dc, box.left, box.top, box.right, box.bottom);
        for (auto below = order.begin(); *below != index; ++below) {
            RECT const under = place_of(*below);
            if (m_form.control(*below).Visible && overlap(under, place))
                draw_control(
                    dc, *below, { box.left + under.left - place.left, box.top + under.top - place.top });
        }
        RestoreDC(dc, saved);
    } else {
        fill(dc, box, drawn.back);
    }
    if (drawn.border) {
        HBRUSH const black = CreateSolidBrush(RGB(0, 0, 0));
        FrameRect(dc, &box, black);
        DeleteObject(black);
        InflateRect(&box, -1, -1);
    }
    HGDIOBJ const old = SelectObject(dc, font(index));
    SetTextColor(dc, colour(drawn.text));
    SetBkMode(dc, TRANSPARENT);
    auto text = wide(m_form.label(model::LabelName::of_row(index)).Caption.get());
    auto const arrows = index == model::fine_adjust_hint.index() ? text.find(down_arrow) : std::wstring::npos;
    auto const words = arrows == std::wstring::npos ? text : text.substr(0, arrows);
    TEXTMETRICW metrics {};
    GetTextMetricsW(dc, &metrics);
    int const em = metrics.tmHeight - metrics.tmInternalLeading;
    int y = box.top;
    for (auto const& each : caption_lines(dc, words, box.right - box.left)) {
        SIZE size {};
        GetTextExtentPoint32W(dc, each.c_str(), static_cast<int>(each.size()), &size);
        int const x
            = drawn.align == look::Align::Centre ? box.left + (box.right - box.left - size.cx) / 2 : box.left;
        TextOutW(dc, x, y, each.c_str(), static_cast<int>(each.size()));
        y += em;
    }
    if (arrows != std::wstring::npos) {
        HWND const bar = hwnd_of(model::red_channel.bar);
        SCROLLBARINFO info {};
        info.cbSize = sizeof info;
        GetScrollBarInfo(bar, OBJID_CLIENT, &info);
        RECT const bar_place = place_of(model::red_channel.bar.index());
        int const arrow = info.dxyLineButton > 0
            ? info.dxyLineButton
            : GetSystemMetricsForDpi(SM_CXHSCROLL, static_cast<UINT>(m_dpi));
        auto const marks
            = look::hint_marks(place.left, bar_place.left, bar_place.right - bar_place.left, arrow);
        SIZE size {};
        GetTextExtentPoint32W(dc, &down_arrow, 1, &size);
        for (double const mark : { marks.first, marks.last })
            TextOutW(dc, box.left + static_cast<int>(std::lround(mark)) - size.cx / 2, y, &down_arrow, 1);
    }
    SelectObject(dc, old);
}

// A button drawn in its back colour: a raised bevel round the face, or,
// pressed, a flat frame; its caption centred, and the keyboard's focus
// marked within.
void FormWindow::draw_button(DRAWITEMSTRUCT const& item, std::size_t index)
{
    auto const& drawn = *look::find_look(row(index).name);
    HDC const dc = item.hDC;
    RECT box = item.rcItem;
    bool const pressed = (item.itemState & ODS_SELECTED) != 0;
    fill(dc, box, drawn.back);
    auto const& bevel = look::raised;
    if (pressed) {
        HBRUSH const frame = CreateSolidBrush(colour(bevel.pressed));
        FrameRect(dc, &box, frame);
        DeleteObject(frame);
    } else {
        edge(dc, box, bevel.outer_light, bevel.outer_dark);
        RECT inner = box;
        InflateRect(&inner, -1, -1);
        edge(dc, inner, bevel.inner_light, bevel.inner_dark);
    }
    HGDIOBJ const old = SelectObject(dc, font(index));
    SetTextColor(dc, colour(drawn.text));
    SetBkMode(dc, TRANSPARENT);
    auto const caption = wide(row(index).caption);
    RECT text_box = box;
    if (pressed)
        OffsetRect(&text_box, 1, 1);
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text_box,
        DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    if ((item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0) {
        InflateRect(&box, -4, -4);
        DrawFocusRect(dc, &box);
    }
}

// A bar's own moves, by its arrows, its track, its keys (the system's
// scroll bar steps them as look/'s table does: Right and Down up, Left and
// Up down, the page keys by LargeChange, Home and End to the ends) or its
// thumb, which changes the value once, where it is let go.
void FormWindow::scrolled(HWND bar, int code)
{
    int const index = index_of(bar);
    if (index < 0)
        return;
    auto& value = m_form.bar(model::BarName::of_row(static_cast<std::size_t>(index))).Value;
    // The bar's own codes for the moves every edition's bar makes; the
    // thumb let go where it was dragged.
    static constexpr std::array<std::pair<int, look::BarMove>, 6> moves { {
        { SB_LINELEFT, look::BarMove::StepLess },
        { SB_LINERIGHT, look::BarMove::StepMore },
        { SB_PAGELEFT, look::BarMove::PageLess },
        { SB_PAGERIGHT, look::BarMove::PageMore },
        { SB_LEFT, look::BarMove::ToMin },
        { SB_RIGHT, look::BarMove::ToMax },
    } };
    auto const move
        = std::find_if(moves.begin(), moves.end(), [code](auto const& each) { return each.first == code; });
    int next = value;
    if (move != moves.end()) {
        next = look::value_after(move->second, value);
    } else if (code == SB_THUMBPOSITION) {
        SCROLLINFO info { sizeof info, SIF_TRACKPOS, 0, 0, 0, 0, 0 };
        GetScrollInfo(bar, SB_CTL, &info);
        next = info.nTrackPos;
    } else {
        return;
    }
    raise_event(static_cast<std::size_t>(index), "Change", [&value, next] { value = next; });
    // The thumb stands at the model's value, whether or not it changed.
    SetScrollPos(bar, SB_CTL, value, TRUE);
}

template <typename Action>
void FormWindow::raise_event(std::size_t index, char const* event, Action const& action)
{
    auto const& control = m_form.control(index);
    int const focused = index_of(GetFocus());
    if (auto const failure = model::failure_of(control.name(), event, action); !failure.empty())
        m_error_sink(failure);
    auto const* had_focus = focused < 0 ? nullptr : &m_form.control(static_cast<std::size_t>(focused));
    if (auto const* next = look::focus_after_handler(m_form, control, had_focus))
        SetFocus(m_children[next->index()]);
    if (auto const sentence = look::announcement_after(m_form, control); !sentence.empty())
        m_accessibility->announce(wide(sentence));
    // What the handler wrote is on the screen before the next event.
    RedrawWindow(m_hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

bool FormWindow::take_key(MSG const& message)
{
    if (message.message != WM_KEYDOWN || (message.hwnd != m_hwnd && IsChild(m_hwnd, message.hwnd) == FALSE))
        return false;
    // From the first key on, the focused control is marked.
    SendMessageW(m_hwnd, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    int const focused = index_of(GetFocus());
    auto const* from = focused < 0 ? nullptr : &m_form.control(static_cast<std::size_t>(focused));
    if (message.wParam == VK_TAB) {
        bool const forward = (GetKeyState(VK_SHIFT) & 0x8000) == 0;
        if (auto const* next = look::next_tab_stop(m_form, from, forward))
            SetFocus(m_children[next->index()]);
        return true;
    }
    bool const first_press = (message.lParam & (1L << 30)) == 0;
    if (message.wParam == VK_RETURN && from != nullptr && from->kind() == model::Kind::CommandButton) {
        if (first_press)
            SendMessageW(m_children[from->index()], BM_CLICK, 0, 0);
        return true;
    }
    return false;
}

LRESULT CALLBACK FormWindow::procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_NCCREATE) {
        auto* const self = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        self->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* const self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return self == nullptr ? DefWindowProcW(hwnd, message, wparam, lparam)
                           : self->handle(message, wparam, lparam);
}

LRESULT FormWindow::handle(UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wparam) == BN_CLICKED) {
            int const index = index_of(reinterpret_cast<HWND>(lparam));
            if (index >= 0 && row(static_cast<std::size_t>(index)).kind == model::Kind::CommandButton) {
                auto& button = m_form.button(model::ButtonName::of_row(static_cast<std::size_t>(index)));
                raise_event(static_cast<std::size_t>(index), "Click", [&button] { button.Click(); });
            }
        }
        return 0;
    case WM_HSCROLL:
        scrolled(reinterpret_cast<HWND>(lparam), LOWORD(wparam));
        return 0;
    case WM_DRAWITEM:
        draw(*reinterpret_cast<DRAWITEMSTRUCT const*>(lparam));
        return TRUE;
    case WM_DPICHANGED: {
        RECT client {};
        GetClientRect(m_hwnd, &client);
        bool const as_designed = client.right == look::pixels(look::client_width_twips, m_dpi)
            && client.bottom == look::pixels(look::client_height_twips, m_dpi);
        m_dpi = HIWORD(wparam);
        auto const* suggested = reinterpret_cast<RECT const*>(lparam);
        SetWindowPos(m_hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
            suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        // A window of the designed size keeps the designed client area,
        // whatever the frame the system suggested makes of it.
        if (as_designed)
            size_client();
        lay_out();
        return 0;
    }
    // Closing the only window ends the program as ＥＮＤ does.
    case WM_CLOSE:
        DestroyWindow(m_hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(m_hwnd, message, wparam, lparam);
    }
}

int run(FormWindow& window)
{
    MSG message {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (window.take_key(message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}
