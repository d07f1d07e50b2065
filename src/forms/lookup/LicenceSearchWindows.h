#pragma once
// The licence search as the progress sheet starts it: the sheet's busy frame and the licence viewer
// behind the search's interface.

#include <QString>

// Closes an open viewer and searches the (upper-cased, trimmed) call; the call is shortened in place
// when a portable part is cut.
void SearchLicence(QString& call);
