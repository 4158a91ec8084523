#include "/tmp/dedupe/snapshot.h"
#include "generalmedicine.h"
TEST(DedupeSnapshot, Write)
{
    const auto definition = tarel::reports::generalMedicineReport();
    const auto catalogue = definition.catalogue();
    ASSERT_TRUE(bool(catalogue));
    snap::dump(definition.buildTemplate(*catalogue.value()), QStringLiteral("frxdeca"));
}
