#pragma once

#include <QString>
#include <QWidget>

namespace tintora::ui {

// What assistive technology is told beyond each widget's own name and
// description, over Qt's AT-SPI bridge on Linux.
//
// - Labels read as what they show, and nothing while hidden: a result label
//   with its channel and role ("赤の正解 200"), an instruction without its
//   arrows and runs of spaces. A hidden label keeps its number to itself, so
//   the answer waiting in a hidden correct-value label is never read.
// - A control shown or hidden is said to be visible or not, as well as
//   showing or not: Qt sends only the latter, and a screen reader that met
//   a control while it was hidden went on skipping it once it was shown.
// - Announcements: Qt 6.4 has no call that makes a screen reader speak, so
//   the window holds an announcer, an object with the notification role that
//   draws nothing; showing it with a sentence as its name makes Orca speak
//   the sentence, as it speaks a desktop notification.

// Makes the window's labels and its announcer answer assistive technology
// as described above. Once per process, before the window is made.
void install_accessibility();

// Keeps Qt's bridge to the accessibility bus on even while no screen reader
// runs. Qt 6.4 asks only once, at start, whether one does, so a screen
// reader started later would never find the program; with the bridge on it
// finds it at once. With no screen reader the bridge costs well under a
// millisecond at start. Before the application object is made.
void keep_accessibility_bridge_on();

// Tells assistive technology that a control became visible or hidden.
void tell_visibility(QWidget& widget, bool visible);

class Announcer final : public QWidget {
public:
    explicit Announcer(QWidget* parent);
    void announce(QString const& sentence);
    QString const& sentence() const { return m_sentence; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_sentence;
};

// The words a label is read with: "role caption" where it has a role,
// otherwise its caption without arrows and runs of spaces.
QString spoken_caption(QString const& role, QString const& caption);

}
