#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// The fixed texts of the information windows: the publisher's contact block, shared by the
// About window and the publisher box, and the instructions of the database help window.
namespace InfoTexts {

// The publisher, its contact block and its distributor.
QString publisherName();  // "ARCANIA"
QString contactHeading(); // over the contact block, in both windows
QStringList aboutMemo();  // the lines of the About window's memo
QString publisherComments();
QStringList boxContactLines(); // the lines under the heading of the publisher box
QString publisherLine();       // the status text over most of the About window
QString telephoneLine();       // the status text over its titles and memo
QString closeHint();           // the status text over the closing button

// One instruction line of the database help window.
struct HelpLine
{
    enum Style { Blue, Navy, Heading };
    int x;
    int y;
    QString text;
    Style style;
    bool drags; // marked for automatic dragging
};
QVector<HelpLine> helpLines();

} // namespace InfoTexts
