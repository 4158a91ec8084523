#include "/tmp/dedupe/snapshot.h"
#include "children.h"
TEST(DedupeSnapshot, Write)
{
    const auto definition = tarel::reports::childrenReport();
    const auto catalogue = definition.catalogue();
    ASSERT_TRUE(bool(catalogue));
    snap::dump(definition.buildTemplate(*catalogue.value()), QStringLiteral("frxdeca1"));
}
