// The floor for start-up: the least Qt program that shows tintora's opening
// screen. A bare window of the same size holding just what opens shown, in
// the same fonts, colours and places: the title, the start hint, ＳＴＡＲＴ and
// ＥＮＤ. Plain Qt widgets, no icon, no accessibility of its own.
//
// Usage: baseline_window [--first-frame]. With --first-frame it reports its
// first frame and ends, as the program's start-up probe does; without, it
// stays open like the program, for measurements taken from outside.
#include "first_frame.h"

#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QWidget>

namespace {

QFont gothic(int pixels, bool bold = false, bool italic = false)
{
    QFont font;
    font.setFamilies(
        { QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic") });
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

void colour(QWidget& widget, QPalette::ColorRole role, QRgb rgb)
{
    QPalette palette = widget.palette();
    palette.setColor(role, QColor(rgb));
    widget.setPalette(palette);
}

}

int main(int argc, char* argv[])
{
    int qt_argc = 1;
    QApplication application(qt_argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Form1"));
    window.resize(629, 588);
    colour(window, QPalette::Window, 0xffffff);
    window.setAutoFillBackground(true);

    QLabel title(QStringLiteral("Tintora"), &window);
    title.setGeometry(104, 8, 425, 33);
    title.setFont(gothic(29, true, true));
    title.setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    title.setFrameShape(QFrame::Box);
    colour(title, QPalette::Window, 0xffc080);
    colour(title, QPalette::WindowText, 0xff0000);
    title.setAutoFillBackground(true);

    QLabel hint(QStringLiteral("STARTボタンを押すと開始します。→"), &window);
    hint.setGeometry(104, 72, 329, 25);
    hint.setFont(gothic(21));
    hint.setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    colour(hint, QPalette::WindowText, 0x0000ff);

    QPushButton start(QStringLiteral("ＳＴＡＲＴ"), &window);
    start.setGeometry(440, 64, 89, 41);
    start.setFont(gothic(13, true));
    colour(start, QPalette::Button, 0x80ffff);

    QPushButton end(QStringLiteral("ＥＮＤ"), &window);
    end.setGeometry(504, 512, 81, 41);
    end.setFont(gothic(13, true));
    end.setToolTip(QStringLiteral("終了"));
    end.setFocus();

    if (argc > 1 && qstrcmp(argv[1], "--first-frame") == 0)
        new tintora::bench::FirstFrame(window);
    window.show();
    return QApplication::exec();
}
