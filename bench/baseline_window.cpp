// The baseline for start-up: a bare Qt window of tintora's size with one
// label in the same Japanese font, reporting its first frame the same way.
#include "first_frame.h"

#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.resize(629, 588);
    QLabel label(QStringLiteral("STARTボタンを押すと開始します。→"), &window);
    QFont font;
    font.setFamilies(
        { QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic") });
    font.setPixelSize(21);
    label.setFont(font);
    label.setGeometry(104, 72, 329, 25);
    tintora::bench::FirstFrame const first_frame(window);
    window.show();
    return QApplication::exec();
}
