#pragma once

#include <cstdint>
#include <memory>

#include "cli/ConfigureRun.h"
#include "cli/Plan.h"

namespace veltra::cli {

// Each logger's settings: the plan's row of its serial over the profile, the options over
// both, then {serial} and {n} replaced in the texts. A refusal names where the value came from,
// what it became and why the field does not take it, without "nothing was written".
class PlanResolver {
  public:
    // `given`: the options and the profile, as prepared. `plan` may be null (placeholders
    // only). `missingTakesRest`: a logger that the plan has no row for gets `given`; otherwise
    // it is left alone.
    PlanResolver(GivenSettings given, std::shared_ptr<const Plan> plan, bool missingTakesRest);

    LoggerSettings operator()(std::uint32_t serial, int n) const;

  private:
    GivenSettings given_;
    std::shared_ptr<const Plan> plan_;
    bool missingTakesRest_;
};

}  // namespace veltra::cli
