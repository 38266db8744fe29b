#pragma once

#include "model/controls.h"
#include "model/error.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace tintora::model {

// One row of the window's description: a control in its opening state.
struct ControlRow {
    std::string_view name;
    Kind kind;
    bool visible;
    std::string_view caption;
    std::string_view tooltip;
    Place place;
};

inline constexpr bool shown = true;
inline constexpr bool hidden = false;

// The 50 controls of Form1, in the order the window's description stores
// them. Captions and tooltips are the program's own texts, byte for byte.
inline constexpr std::array<ControlRow, 50> control_table { {
    { "Command6", Kind::CommandButton, hidden, "PUSH", "点数表示します", { 2040, 7680, 1455, 615 } },
    { "SaisokuteiButton", Kind::CommandButton, hidden, "再測定", "最初から再びはじめます",
        { 6240, 7680, 1215, 615 } },
    { "Command3", Kind::CommandButton, hidden, "確定", "", { 5400, 6600, 855, 615 } },
    { "Command2", Kind::CommandButton, hidden, "確定", "", { 5400, 5880, 855, 615 } },
    { "Command1", Kind::CommandButton, hidden, "確定", "", { 5400, 5160, 855, 615 } },
    { "StartButton", Kind::CommandButton, shown, "ＳＴＡＲＴ", "", { 6600, 960, 1335, 615 } },
    { "BlueBottun", Kind::CommandButton, hidden, "B", "R､Gが同じ", { 720, 6480, 735, 735 } },
    { "GreenBottun", Kind::CommandButton, hidden, "G", "R､Bが同じ", { 720, 5760, 735, 735 } },
    { "RedBottun", Kind::CommandButton, hidden, "R", "G､Bが同じ", { 720, 5040, 735, 735 } },
    { "EndButton", Kind::CommandButton, shown, "ＥＮＤ", "終了", { 7560, 7680, 1215, 615 } },
    { "blue", Kind::HScrollBar, hidden, "", "", { 1680, 6720, 2655, 375 } },
    { "green", Kind::HScrollBar, hidden, "", "", { 1680, 6000, 2655, 375 } },
    { "red", Kind::HScrollBar, hidden, "", "", { 1680, 5280, 2655, 375 } },
    { "Shape1", Kind::Shape, shown, "", "", { 5040, 1800, 2295, 1455 } },
    { "labelred", Kind::Label, hidden, "150", "", { 4440, 5280, 975, 495 } },
    { "Label24", Kind::Label, hidden, "あなたの点数は（１００点満点）", "", { 360, 7320, 3735, 375 } },
    { "Label23", Kind::Label, hidden, "←次にＢのボタンを押してください", "", { 1680, 6600, 3375, 255 } },
    { "Label22", Kind::Label, hidden, "←次にGのボタンを押してください", "", { 1680, 5880, 3255, 255 } },
    { "Label21", Kind::Label, hidden,
        "バーの両端の三角形の部分を　　クリックすると微調整ができます。　↓　　 　　　　　　　　　　　　↓", "",
        { 1560, 4440, 3255, 735 } },
    { "Label20", Kind::Label, hidden, "", "", { 3720, 7440, 2175, 855 } },
    { "Label19", Kind::Label, hidden, "Label19", "", { 5400, 6600, 855, 495 } },
    { "Label18", Kind::Label, hidden, "Label18", "", { 5400, 5880, 855, 495 } },
    { "Label17", Kind::Label, hidden, "Label17", "", { 5400, 5160, 855, 495 } },
    { "Label16", Kind::Label, hidden, "確定値", "Aの確定値（0～255）", { 5400, 4680, 855, 375 } },
    { "Label12(1)", Kind::Label, hidden, "判定", "誤差が5以下なら◎、10以下なら○、11以上は△です",
        { 8160, 4680, 735, 375 } },
    { "Label15(2)", Kind::Label, hidden, "△", "", { 8280, 6600, 495, 495 } },
    { "Label14(2)", Kind::Label, hidden, "○", "", { 8280, 6600, 495, 495 } },
    { "Label13(2)", Kind::Label, hidden, "◎", "", { 8280, 6600, 495, 495 } },
    { "Label15(1)", Kind::Label, hidden, "△", "", { 8280, 5880, 495, 495 } },
    { "Label14(1)", Kind::Label, hidden, "○", "", { 8280, 5880, 495, 495 } },
    { "Label13(1)", Kind::Label, hidden, "◎", "", { 8280, 5880, 495, 495 } },
    { "Label15(0)", Kind::Label, hidden, "△", "", { 8280, 5160, 495, 495 } },
    { "Label14(0)", Kind::Label, hidden, "○", "", { 8280, 5160, 495, 495 } },
    { "Label13(0)", Kind::Label, hidden, "◎", "", { 8280, 5160, 495, 495 } },
    { "Label12(0)", Kind::Label, hidden, "誤差", "正解との誤差", { 7320, 4680, 855, 375 } },
    { "Label10", Kind::Label, hidden, "正解", "Bの正解値（0～255）", { 6360, 4680, 855, 375 } },
    { "Label9", Kind::Label, hidden, "", "", { 7320, 6600, 855, 495 } },
    { "Label8", Kind::Label, hidden, "", "", { 7320, 5880, 855, 495 } },
    { "Label7", Kind::Label, hidden, "", "", { 7320, 5160, 855, 495 } },
    { "Label2(2)", Kind::Label, hidden,
        "<方法> "
        "ＡとＢの色が同じになるよう　下のスクロールバー　　をクリックし　「確定」ボタンを押してください。",
        "", { 1800, 3480, 5775, 495 } },
    { "Label2(1)", Kind::Label, shown, "STARTボタンを押すと開始します。→", "", { 1560, 1080, 4935, 375 } },
    { "Label6", Kind::Label, hidden, "Label6", "", { 6360, 6600, 855, 495 } },
    { "Label5", Kind::Label, hidden, "Label5", "", { 6360, 5880, 855, 495 } },
    { "Label4", Kind::Label, hidden, "Label4", "", { 6360, 5160, 855, 495 } },
    { "Label3", Kind::Label, shown, "Tintora", "", { 1560, 120, 6375, 495 } },
    { "Label1(1)", Kind::Label, hidden, "Ｂ", "", { 5880, 1440, 615, 495 } },
    { "Label1(0)", Kind::Label, hidden, "Ａ", "", { 3000, 1440, 615, 495 } },
    { "labelblue", Kind::Label, hidden, "150", "", { 4440, 6720, 975, 495 } },
    { "labelgreen", Kind::Label, hidden, "150", "", { 4440, 6000, 975, 495 } },
    { "Shape2", Kind::Shape, shown, "", "", { 2160, 1800, 2295, 1455 } },
} };

// "Label13(2)" is member 2 of the array "Label13"; a plain name is no member.
struct ArrayMember {
    std::string_view array;
    int index;
};

constexpr ArrayMember array_member_of(std::string_view name)
{
    auto const open = name.find('(');
    if (open == std::string_view::npos || name.back() != ')')
        return { {}, -1 };
    int index = 0;
    for (auto c : name.substr(open + 1, name.size() - open - 2))
        index = index * 10 + (c - '0');
    return { name.substr(0, open), index };
}

// The row of a control in the table, by its full name ("Label13(2)"). A
// name that is not in the table is refused with a ModelError, and does not
// compile where the name is a constant.
constexpr std::size_t index_of(std::string_view name)
{
    for (std::size_t i = 0; i < control_table.size(); ++i) {
        if (control_table[i].name == name)
            return i;
    }
    throw ModelError("the window has no control named " + std::string(name));
}

inline ControlRow const& row_of(std::string_view name) { return control_table[index_of(name)]; }

constexpr std::size_t count_of_kind(Kind kind)
{
    std::size_t n = 0;
    for (auto const& row : control_table)
        n += row.kind == kind ? 1 : 0;
    return n;
}

// The place of a control among the controls of its own kind, in table order:
// Form1 stores each kind in its own list.
constexpr std::size_t slot_of(std::size_t row_index)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < row_index; ++i)
        n += control_table[i].kind == control_table[row_index].kind ? 1 : 0;
    return n;
}

}
