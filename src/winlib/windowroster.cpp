#include "windowroster.h"

WindowRoster &windowRoster()
{
    static WindowRoster roster;
    return roster;
}
