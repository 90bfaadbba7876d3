// Verdicts on answer texts and what they write into the record.

#include <gtest/gtest.h>

#include "core/fixed_text.h"
#include "submit/answer_classifier.h"
#include "tests/submit/rules_test_support.h"

namespace larkspur::submit {
namespace {

struct ClassifyCase {
  const char* text;
  const char* success;
  const char* already;
  Verdict verdict;
};

void PrintTo(const ClassifyCase& c, std::ostream* os) {
  *os << "\"" << c.text << "\" success=\"" << c.success << "\" already=\"" << c.already << "\"";
}

class Classify : public ::testing::TestWithParam<ClassifyCase> {};

TEST_P(Classify, TestsInOrder) {
  const ClassifyCase& c = GetParam();
  const core::EngineRecord r = testing::makeRecord({.success = c.success, .already = c.already});
  EXPECT_EQ(classifyAnswer(c.text, r), c.verdict);
}

INSTANTIATE_TEST_SUITE_P(
    Order, Classify,
    ::testing::Values(
        // The target's own keywords first, success before already.
        ClassifyCase{"Tak! Siden er allerede tilmeldt", "Tak", "allerede", kVerdictSuccess},
        ClassifyCase{"Siden er allerede tilmeldt", "Tak", "allerede", kVerdictAlreadyListed},
        ClassifyCase{"Thank you, but this URL is already listed", "Congratulations", "Thank-you",
                     kVerdictAlreadyListed},
        ClassifyCase{"Your URL has BEEN SUBMITTED", "been submitted", "been submitted",
                     kVerdictSuccess},
        ClassifyCase{"die seite wurde aufgenommen", "Die Seite", "", kVerdictSuccess},
        // Every "already" word wins over every success word.
        ClassifyCase{"Thank you! Your site was already submitted.", "", "", kVerdictAlreadyListed},
        ClassifyCase{"Already Submited", "", "", kVerdictAlreadyListed},
        ClassifyCase{"Submission successful", "", "", kVerdictSuccess},
        ClassifyCase{"Thanks for adding your site", "", "", kVerdictSuccess},
        ClassifyCase{"Your site has been submitted", "", "", kVerdictSuccess},
        // Empty keywords never match.
        ClassifyCase{"Please fill in the form", "", "", kVerdictUndecided},
        ClassifyCase{"404 - Page Not Found", "", "", kVerdictNotFound},
        ClassifyCase{"Error 404", "", "", kVerdictUndecided},
        ClassifyCase{"Not found", "", "", kVerdictUndecided},
        ClassifyCase{"Thank you - 404 not found", "", "", kVerdictSuccess},
        ClassifyCase{"A runtime error has occurred", "", "", kVerdictNotFound},
        ClassifyCase{"Runtime Error in /add.asp", "", "", kVerdictUndecided},
        ClassifyCase{"Server error:\nRuntime Error\n", "", "", kVerdictUndecided},
        // Both sides in capitals, beyond ASCII too.
        ClassifyCase{"\u0421\u041F\u0410\u0421\u0418\u0411\u041E!",
                     "\u0441\u043F\u0430\u0441\u0438\u0431\u043E", "", kVerdictSuccess},
        ClassifyCase{"Eintrag ERFOLGREICH gespeichert", "erfolgreich", "", kVerdictSuccess},
        ClassifyCase{"D\u00E9j\u00E0 inscrit", "", "d\u00C9J\u00C0", kVerdictAlreadyListed}));

TEST(ApplyVerdict, WritesStateAndMessage) {
  core::EngineRecord r = testing::makeRecord({});
  r.message.assign("Send submit request.");

  // One verdict after the other on the same record: state and message after each.
  const struct {
    Verdict verdict;
    const char* state;
    const char* message;
  } steps[] = {{kVerdictUndecided, "", "Send submit request."},
               {kVerdictSuccess, "Submit-OK", "Submit-OK"},
               {kVerdictAlreadyListed, "Submit-OK", "Already Submited!"},
               {kVerdictNotFound, "Submit-Error", "Error 404:Object not found!"}};
  for (const auto& step : steps) {
    applyVerdict(step.verdict, r);
    EXPECT_EQ(r.submit_state.view(), step.state) << step.verdict;
    EXPECT_EQ(r.message.view(), step.message) << step.verdict;
  }
}

}  // namespace
}  // namespace larkspur::submit
