// The six forms as documents: each carries its printed heading as its title,
// in the template, its prepared pages and (read as Unicode) the result's
// words, and its PDF and print jobs are named by it in Cyrillic.

#include "children.h"
#include "export.h"
#include "generalmedicine.h"
#include "macc.h"
#include "prepared.h"
#include "schoolyouth.h"
#include "visitreports.h"

#include <gtest/gtest.h>

using namespace tarel;

namespace {

struct Form {
    const reports::Form *form;
    QString headingCell; // the cell printing the heading
};

std::vector<Form> sixForms()
{
    std::vector<Form> forms;
    for (const reports::MorbidityReport *report :
         {&reports::generalMedicineReport(), &reports::schoolYouthReport(), &reports::childrenReport()}) {
        const Result<const reports::MorbidityForm *> form = report->form();
        if (!form) {
            ADD_FAILURE() << form.message().toStdString();
            continue;
        }
        forms.push_back({&(*form)->form, QStringLiteral("Memo1")});
    }
    for (reports::VisitReport visit :
         {reports::VisitReport::SchoolYouth, reports::VisitReport::Children, reports::VisitReport::GeneralMedicine}) {
        const Result<const reports::Form *> form = reports::visitForm(visit);
        if (!form) {
            ADD_FAILURE() << form.message().toStdString();
            continue;
        }
        forms.push_back({*form, QStringLiteral("title")});
    }
    return forms;
}

} // namespace

TEST(FormExports, EachFormIsTitledByItsPrintedHeading)
{
    const std::vector<Form> forms = sixForms();
    ASSERT_EQ(forms.size(), 6u);
    for (const Form &form : forms) {
        const report::TfrxReport &templ = form.form->blank;
        const report::TfrxMemoView *heading = templ.findCell(form.headingCell);
        ASSERT_NE(heading, nullptr) << templ.name.toStdString();
        EXPECT_EQ(templ.title, heading->text().simplified()) << templ.name.toStdString();
        EXPECT_EQ(form.form->title, report::maccToUnicode(templ.title)) << templ.name.toStdString();
        const report::PreparedReport prepared = report::prepare(templ);
        EXPECT_EQ(prepared.title, templ.title) << templ.name.toStdString();
        // The document title reads in Cyrillic, as printed.
        EXPECT_TRUE(report::documentTitle(prepared).startsWith(QStringLiteral("УТВРДЕНИ ЗАБОЛУВАЊА"))
                    || report::documentTitle(prepared).startsWith(QStringLiteral("Извештај за посета")))
            << report::documentTitle(prepared).toStdString();
    }
}
