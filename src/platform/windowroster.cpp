#include "platform/windowroster.h"

WindowRoster &windowRoster()
{
    static WindowRoster roster;
    return roster;
}
