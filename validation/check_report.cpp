#include "validation/check_report.h"

#include <algorithm>
#include <cstdio>

namespace {

const std::string prefix = "qlxtest-validate: ";

long countOf(const std::vector<CheckResult>& results, Outcome outcome)
{
    return std::count_if(results.begin(), results.end(),
                         [outcome](const CheckResult& r) { return r.outcome == outcome; });
}

} // namespace

CheckResult skipped(const std::string& name, const std::string& reason)
{
    return {Outcome::Skip, name + ": " + reason};
}

std::string checkLine(const CheckResult& result)
{
    switch (result.outcome) {
    case Outcome::Pass:
        return prefix + result.text + " pass";
    case Outcome::Fail:
        return prefix + result.text + " FAIL";
    case Outcome::Skip:
        break;
    }
    const std::size_t colon = result.text.find(": ");
    return prefix + result.text.substr(0, colon) + " skip" +
           (colon == std::string::npos ? std::string() : result.text.substr(colon));
}

std::string summaryLine(const std::vector<CheckResult>& results, const std::string& renderer)
{
    std::string line = prefix + std::to_string(countOf(results, Outcome::Pass)) + " of " +
                       std::to_string(results.size()) + " checks passed";
    if (const long skipped = countOf(results, Outcome::Skip))
        line += ", " + std::to_string(skipped) + " skipped,";
    return line + " on \"" + renderer + "\"";
}

int exitStatus(const std::vector<CheckResult>& results)
{
    return countOf(results, Outcome::Fail) != 0 ? 1 : 0;
}

std::string figure(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}
