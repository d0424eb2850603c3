#include "profile.h"

namespace kordoc::pdf {

Profile Profile::library()
{
    return Profile{
        "2.02",
        "<</Type /Annot /Subtype /Link /Rect [%0.2f %0.2f %0.2f %0.2f] % /C [1 0 0.5] /A   <<\n"
        "   /Type /Action /S /Sound \n   /Sound  % 0 R  >>\n>>",
        "<< /Type /Sound /R % /C 1 /B 8 /E /% /Length % >>\nstream\n",
        nullptr,
    };
}

Profile Profile::generator(Console *console)
{
    return Profile{
        "2.01",
        "<</Type /Annot /Subtype /Link /Rect [%0.2f %0.2f %0.2f %0.2f] % /C [1 0 0.5] /A   <<\n"
        "   /Type /Action /S /Sound /Synchronous true\n   /Sound % 0 R >>\n>>",
        "<< /Type /Sound /R % /E /% /Length % >>\nstream\n",
        console,
    };
}

}  // namespace kordoc::pdf
