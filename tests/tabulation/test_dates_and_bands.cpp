#include "agebands.h"
#include "dates.h"
#include "sex.h"

#include <gtest/gtest.h>

using namespace tarel::tabulation;

TEST(Dates, PickerValueCarriesTheTimeOfDay)
{
    EXPECT_NEAR(timeFractionOf(pickerValue(QDate(2024, 5, 31))), 0.803875, 1e-6);
    EXPECT_EQ(dateOf(pickerValue(QDate(2024, 5, 31))), QDate(2024, 5, 31));
}
