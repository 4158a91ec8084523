#include "children.h"

#include "agebands.h"
#include "frxdeca1.h"

namespace tarel::reports {

const MorbidityReport &childrenReport()
{
    static const MorbidityReport report("qIzvestajPolDeca", &tabulation::calculate2Bands,
                                        ":/children/catalogue.txt", &frxDeca1Layout);
    return report;
}

} // namespace tarel::reports
