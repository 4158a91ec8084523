#include "schoolyouth.h"

#include "agebands.h"
#include "frxmladina.h"

namespace tarel::reports {

const MorbidityReport &schoolYouthReport()
{
    static const MorbidityReport report("qIzvestajMladina", &tabulation::calculate1Bands,
                                        ":/school_youth/catalogue.txt", &frxMladinaLayout);
    return report;
}

} // namespace tarel::reports
