#include "calculators/ad_calculator_pages.h"

namespace larkspur::calculators {

namespace {

// Help texts, shown as they are (several end in a blank that belongs to them).
constexpr std::string_view kHelpCostPerClick =
    "The cost per click is the amount you pay for each customer who makes a click on your link or banner.Example: if you have placed a bid of $0.5  per click on Overture, your CPC rate is 0.5Note: Use the CPM to CPC converter to calculate the CPC rate of your CPM advertising campaigns. ";
constexpr std::string_view kHelpConversionRatio =
    "The conversion ratio percentage is a measure of users who perform the target action once they get to your website like making a purchase, subscribing to a service etc.Example: If out of every 100 visitors, 5 make a purchase, the conversion percentage is 5%. ";
constexpr std::string_view kHelpAverageProfit =
    "This is the averaged value representing the profit you make from a single customer placing an order on your website. Example: If you sell a service worth $100 and your cost of providing the service is $35, your average profit is $65. Note: This value should exclude your CPC or CPM advertising expenses, as these will be subtracted automatically.";
constexpr std::string_view kHelpTotalSpend = "The total amount (in dollars) you wish to spend on your advertising campaign. ";
constexpr std::string_view kHelpRoi = "The return on your advertising campaign investment in dollars. ";
constexpr std::string_view kHelpProfit = "The gross profit of your advertising campaign, excluding advertising costs. ";
constexpr std::string_view kHelpPercentageToSpend =
    "This is the percentage of your profit you wish to spend on your online campaign.Example: If your average profit is $65, and you wish to spend half of this amount on your PPC campaign, the percentage rate you would enter is 50.0 ";
constexpr std::string_view kHelpMaximumPpc =
    "This is the maximum PPC (pay per click) rate you should pay to attract new customers to your web site. This value is calculated from the parameters you have entered above. ";
constexpr std::string_view kHelpCostPerThousand = "Enter the CPM (cost for 1000 impressions) in dollars. ";
constexpr std::string_view kHelpClickRatio =
    "This is the ratio of people who see your ad compared to the number that actually click on it. Example: If out of 1000 served banners, 50 people clicked on the banner, your clickthrough ration would be 5 percent. ";
constexpr std::string_view kHelpActualCostPerClick =
    "This is the actual cost you are paying per click to get a customer to your web site. This value is intended as a comparison between the cost of attracting customer via the various PPC (pay per click) vs CPM based ad campaigns. ";

constexpr CalculatorFieldInfo kRoiFields[] = {
    {1000, "Cost Per Click:", "$", kHelpCostPerClick, false},
    {1001, "Conversion Ratio:", "%", kHelpConversionRatio, false},
    {1002, "Average Profit Per Sale:", "$", kHelpAverageProfit, false},
    {1009, "Total Spend In Campaign:", "$", kHelpTotalSpend, false},
    {1008, "ROI:", "$", kHelpRoi, true},
    {1005, "Profit:", "$", kHelpProfit, true},
};

constexpr CalculatorFieldInfo kCpcFields[] = {
    {1000, "Conversion Ratio:", "%", kHelpConversionRatio, false},
    {1001, "Average Profit:", "$", kHelpAverageProfit, false},
    {1002, "Percentage Of Profit To Spend:", "%", kHelpPercentageToSpend, false},
    {1009, "Maximum PPC to pay:", "%", kHelpMaximumPpc, true},
};

constexpr CalculatorFieldInfo kCpmFields[] = {
    {1000, "Cost per 1000 Impressions:", "$", kHelpCostPerThousand, false},
    {1001, "Click Ratio:", "%", kHelpClickRatio, false},
    {1002, "Actual  Cost Per Click:", "$", kHelpActualCostPerClick, true},
};

constexpr CalculatorPageInfo kPages[] = {
    {" ROI  ", kRoiFields},
    {" CPC  ", kCpcFields},
    {" CPM  ", kCpmFields},
};

}  // namespace

std::span<const CalculatorPageInfo> calculatorPages() { return kPages; }

}  // namespace larkspur::calculators
