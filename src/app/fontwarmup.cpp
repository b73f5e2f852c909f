#include "app/fontwarmup.h"

#ifdef NOCTAMBU_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

FontWarmUp::FontWarmUp()
{
#ifdef NOCTAMBU_FONTCONFIG
    m_thread = std::thread([] { FcInit(); });
#endif
}

FontWarmUp::~FontWarmUp()
{
    join();
}

void FontWarmUp::join()
{
    if (m_thread.joinable())
        m_thread.join();
}
