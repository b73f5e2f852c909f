#pragma once

#include <QString>

// The publisher's and its distributor's contact facts, in one place: the main window's
// contact line and the information windows' contact blocks are made of them, so that they
// never contradict each other.
namespace Publisher {

QString name();                // "ARCANIA"
QString distributor();         // the distributor's name
QString distributorPhoneFax(); // "Tel. y Fax: ..." as the publisher box shows it
QString distributorMobile();   // "Móvil: ..." likewise

// The one line shown over the main window's margin and its status line: the publisher and
// its distributor's telephone, fax and mobile numbers.
QString contactLine();

} // namespace Publisher
