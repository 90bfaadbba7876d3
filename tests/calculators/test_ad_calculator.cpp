#include "calculators/ad_calculator.h"
#include "calculators/ad_calculator_pages.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

namespace larkspur::calculators {
namespace {

TEST(AdCalculator, ReadsTheLeadingNumberOfAFieldText) {
  struct Case {
    const char* text;
    double value;
  };
  const Case cases[] = {
      {"", 0.0},        {"abc", 0.0},       {"12abc", 12.0},     {"  7.5", 7.5},     {"\t-3", -3.0},
      {"+4", 4.0},      {".5", 0.5},        {"5.", 5.0},         {".", 0.0},         {"-", 0.0},
      {"1e3", 1000.0},  {"2E-2x", 0.02},    {"12e", 12.0},       {"12e+", 12.0},     {"3,5", 3.0},
      {"1.2.3", 1.2},   {"- 4", 0.0},       {"inf", 0.0},        {"nan", 0.0},       {"0x10", 0.0},
      {"$5", 0.0},      {"5 $", 5.0},       {"007", 7.0},        {"-0.25e1", -2.5},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(readFieldNumber(c.text), c.value) << '"' << c.text << '"';
  EXPECT_TRUE(std::isinf(readFieldNumber("1e999")));
}

TEST(AdCalculator, DecimalPointDoesNotDependOnTheLocale) {
  // A program under a locale with decimal commas still reads and writes '.'.
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous ? previous : "C";
  bool switched = false;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "C.UTF-8"}) {
    if (std::setlocale(LC_NUMERIC, name) != nullptr) {
      switched = true;
      break;
    }
  }
  EXPECT_DOUBLE_EQ(readFieldNumber("0.5"), 0.5);
  EXPECT_EQ(formatFieldNumber(1.3), "1.30");
  std::setlocale(LC_NUMERIC, saved.c_str());
  if (!switched) GTEST_SKIP() << "no other locale installed; checked under the C locale only";
}

TEST(AdCalculator, FormatsTwoDecimalsLikePrintf) {
  struct Case {
    double value;
    const char* text;
  };
  const Case cases[] = {
      {1.3, "1.30"}, {650.0, "650.00"}, {-550.0, "-550.00"}, {0.0, "0.00"}, {0.125, "0.12"},
      {0.375, "0.38"}, {-0.001, "-0.00"}, {1e15, "1000000000000000.00"},
  };
  for (const Case& c : cases) EXPECT_EQ(formatFieldNumber(c.value), c.text) << c.value;
}

TEST(AdCalculator, WorkedExamples) {
  CpcFields cpc{"5", "65", "40", ""};
  EXPECT_EQ(recomputeCpc(cpc, CpcField::PercentageToSpend), CalculatorOutcome::Computed);
  EXPECT_EQ(cpc.maximumPpc, "1.30");

  RoiFields roi{"0.5", "5", "65", "100", "", ""};
  EXPECT_EQ(recomputeRoi(roi, RoiField::TotalSpend), CalculatorOutcome::Computed);
  EXPECT_EQ(roi.roi, "650.00");
  EXPECT_EQ(roi.profit, "550.00");

  CpmFields cpm{"5", "2", ""};
  EXPECT_EQ(recomputeCpm(cpm, CpmField::ClickRatio), CalculatorOutcome::Computed);
  EXPECT_EQ(cpm.actualCostPerClick, "0.25");
}

TEST(AdCalculator, MultipliesInTheGivenOrder) {
  // 0.1 × 0.07 rounds differently from 0.07 × 0.1 in binary: the results must
  // be exactly what the stated order gives, not merely close to it.
  CpcFields cpc{"7", "3.3", "10", ""};
  ASSERT_EQ(recomputeCpc(cpc, CpcField::AverageProfit), CalculatorOutcome::Computed);
  EXPECT_EQ(cpc.maximumPpc, formatFieldNumber((10 * 0.01) * (7 * 0.01) * 3.3));

  // (P × (S ÷ C)) × (R × 0.01) and Profit from the unrounded ROI.
  RoiFields roi{"0.3", "3", "1.005", "1", "", ""};
  ASSERT_EQ(recomputeRoi(roi, RoiField::CostPerClick), CalculatorOutcome::Computed);
  const double expected = (1.005 * (1 / 0.3)) * (3 * 0.01);
  EXPECT_EQ(roi.roi, formatFieldNumber(expected));
  EXPECT_EQ(roi.profit, formatFieldNumber(expected - 1));
  EXPECT_EQ(roi.profit, "-0.90");
}

TEST(AdCalculator, CpcNeedsTheOtherTwoInputs) {
  struct Case {
    CpcFields fields;
    CpcField changed;
    bool computes;
  };
  const Case cases[] = {
      {{"5", "", "", "old"}, CpcField::ConversionRatio, false},
      {{"5", "65", "", "old"}, CpcField::AverageProfit, false},
      {{"5", "65", "", "old"}, CpcField::PercentageToSpend, true},  // the changed field may be empty
      {{"", "65", "40", "old"}, CpcField::ConversionRatio, true},
      {{"", "65", "40", "old"}, CpcField::AverageProfit, false},
      {{"5", "65", "40", "old"}, CpcField::MaximumPpc, false},
  };
  for (const Case& c : cases) {
    CpcFields fields = c.fields;
    CalculatorOutcome outcome = recomputeCpc(fields, c.changed);
    EXPECT_EQ(outcome == CalculatorOutcome::Computed, c.computes) << static_cast<int>(c.changed);
    if (c.computes) {
      EXPECT_EQ(fields.maximumPpc, "0.00");
    } else {
      EXPECT_EQ(fields.maximumPpc, "old") << "results stay as they were";
    }
  }
}

TEST(AdCalculator, RoiRequiredFieldsFollowTheChangedField) {
  // Which fields must hold text depends on the field that changed; the
  // average profit rule checks the profit itself and not the ratio.
  struct Case {
    RoiFields fields;
    RoiField changed;
    bool computes;
  };
  const Case cases[] = {
      {{"", "5", "65", "100", "r", "p"}, RoiField::CostPerClick, true},
      {{"0.5", "", "65", "100", "r", "p"}, RoiField::CostPerClick, false},
      {{"0.5", "5", "", "100", "r", "p"}, RoiField::ConversionRatio, false},
      {{"0.5", "", "65", "100", "r", "p"}, RoiField::ConversionRatio, true},
      {{"0.5", "", "65", "100", "r", "p"}, RoiField::AverageProfitPerSale, true},
      {{"0.5", "5", "", "100", "r", "p"}, RoiField::AverageProfitPerSale, false},
      {{"0.5", "", "65", "100", "r", "p"}, RoiField::TotalSpend, false},
      {{"0.5", "5", "65", "", "r", "p"}, RoiField::TotalSpend, true},
      {{"0.5", "5", "65", "100", "r", "p"}, RoiField::Roi, false},
      {{"0.5", "5", "65", "100", "r", "p"}, RoiField::Profit, false},
  };
  for (const Case& c : cases) {
    RoiFields fields = c.fields;
    CalculatorOutcome outcome = recomputeRoi(fields, c.changed);
    EXPECT_EQ(outcome != CalculatorOutcome::Unchanged, c.computes) << static_cast<int>(c.changed);
    if (!c.computes) {
      EXPECT_EQ(fields.roi, "r");
      EXPECT_EQ(fields.profit, "p");
    }
  }
}

TEST(AdCalculator, EmptyRatioReadsAsZeroWhenTheProfitChanges) {
  RoiFields roi{"0.5", "", "65", "100", "", ""};
  ASSERT_EQ(recomputeRoi(roi, RoiField::AverageProfitPerSale), CalculatorOutcome::Computed);
  EXPECT_EQ(roi.roi, "0.00");
  EXPECT_EQ(roi.profit, "-100.00");
}

TEST(AdCalculator, LettersCountAsTextButReadAsTheirLeadingNumber) {
  CpmFields cpm{"12dollars", "abc", "old"};
  // "abc" is non-empty, so the page recomputes, and it reads as 0.
  EXPECT_EQ(recomputeCpm(cpm, CpmField::CostPerThousand), CalculatorOutcome::DivisionByZero);
  cpm.clickRatio = "4 percent";
  EXPECT_EQ(recomputeCpm(cpm, CpmField::ClickRatio), CalculatorOutcome::Computed);
  EXPECT_EQ(cpm.actualCostPerClick, "0.30");
  cpm.costPerThousand = "";
  EXPECT_EQ(recomputeCpm(cpm, CpmField::ClickRatio), CalculatorOutcome::Unchanged);
  EXPECT_EQ(recomputeCpm(cpm, CpmField::CostPerThousand), CalculatorOutcome::Computed)
      << "the changed field may be empty; it reads as 0";
  EXPECT_EQ(cpm.actualCostPerClick, "0.00");
}

TEST(AdCalculator, DivisionByZeroGivesAReadableText) {
  for (const char* ratio : {"0", "-0", "0.000", "x", " "}) {
    CpmFields cpm{"5", ratio, ""};
    EXPECT_EQ(recomputeCpm(cpm, CpmField::CostPerThousand), CalculatorOutcome::DivisionByZero) << ratio;
    EXPECT_EQ(cpm.actualCostPerClick, kDivisionByZeroText);
  }
  for (const char* spend : {"100", "0", "-5"}) {
    RoiFields roi{"0", "5", "65", spend, "", ""};
    EXPECT_EQ(recomputeRoi(roi, RoiField::CostPerClick), CalculatorOutcome::DivisionByZero) << spend;
    EXPECT_EQ(roi.roi, kDivisionByZeroText);
    EXPECT_EQ(roi.profit, kDivisionByZeroText);
  }
  // Back to numbers once the divisor is no longer 0.
  CpmFields cpm{"5", "0", ""};
  recomputeCpm(cpm, CpmField::ClickRatio);
  cpm.clickRatio = "2";
  EXPECT_EQ(recomputeCpm(cpm, CpmField::ClickRatio), CalculatorOutcome::Computed);
  EXPECT_EQ(cpm.actualCostPerClick, "0.25");
}

TEST(AdCalculator, ResultsTooLargeForANumberGiveAReadableText) {
  CpcFields cpc{"1e200", "1e200", "1e200", ""};
  EXPECT_EQ(recomputeCpc(cpc, CpcField::ConversionRatio), CalculatorOutcome::OutOfRange);
  EXPECT_EQ(cpc.maximumPpc, kOutOfRangeText);
  CpmFields cpm{"1e999", "5", ""};
  EXPECT_EQ(recomputeCpm(cpm, CpmField::CostPerThousand), CalculatorOutcome::OutOfRange);
  EXPECT_EQ(cpm.actualCostPerClick, kOutOfRangeText);
  // Large but finite results are still written in full, digit by digit.
  RoiFields roi{"1e-290", "100", "1", "1", "", ""};
  EXPECT_EQ(recomputeRoi(roi, RoiField::TotalSpend), CalculatorOutcome::Computed);
  EXPECT_GT(roi.roi.size(), 290u);
  EXPECT_EQ(roi.roi.find_first_not_of("0123456789."), std::string::npos) << roi.roi;
  EXPECT_TRUE(roi.roi.ends_with(".00"));
}

TEST(AdCalculator, PagesListTheirFieldsInEnumOrder) {
  // The window looks fields up by the page's enum value.
  auto pages = calculatorPages();
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_EQ(pages[0].caption, " ROI  ");
  EXPECT_EQ(pages[2].caption, " CPM  ");
  const auto& roi = pages[static_cast<int>(CalculatorPage::Roi)].fields;
  ASSERT_EQ(roi.size(), 6u);
  EXPECT_EQ(roi[static_cast<int>(RoiField::TotalSpend)].id, 1009);
  EXPECT_EQ(roi[static_cast<int>(RoiField::Profit)].id, 1005);
  EXPECT_TRUE(roi[static_cast<int>(RoiField::Profit)].result);
  const auto& cpc = pages[static_cast<int>(CalculatorPage::Cpc)].fields;
  ASSERT_EQ(cpc.size(), 4u);
  EXPECT_EQ(cpc[static_cast<int>(CpcField::MaximumPpc)].id, 1009);
  EXPECT_EQ(roi[static_cast<int>(RoiField::ConversionRatio)].help, cpc[static_cast<int>(CpcField::ConversionRatio)].help);
  const auto& cpm = pages[static_cast<int>(CalculatorPage::Cpm)].fields;
  ASSERT_EQ(cpm.size(), 3u);
  EXPECT_TRUE(cpm[static_cast<int>(CpmField::ActualCostPerClick)].result);
  EXPECT_EQ(cpm[static_cast<int>(CpmField::CostPerThousand)].help, "Enter the CPM (cost for 1000 impressions) in dollars. ")
      << "trailing blank kept";
}

}  // namespace
}  // namespace larkspur::calculators
