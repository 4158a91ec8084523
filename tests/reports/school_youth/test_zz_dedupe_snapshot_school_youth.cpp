#include "/tmp/dedupe/snapshot.h"
#include "schoolyouth.h"
TEST(DedupeSnapshot, Write)
{
    const auto definition = tarel::reports::schoolYouthReport();
    const auto catalogue = definition.catalogue();
    ASSERT_TRUE(bool(catalogue));
    snap::dump(definition.buildTemplate(*catalogue.value()), QStringLiteral("frxmladina"));
}
