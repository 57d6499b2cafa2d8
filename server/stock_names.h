#pragma once
// Generated Korean company names for the demo market (한빛전자, 대성화학, ...)
// and ETF names, unique within one market draw.

#include <string>
#include <vector>

#include "server/sim_random.h"

namespace velloran::server {

// count distinct company names, drawn from rng.
std::vector<std::u16string> CompanyNames(int count, SimRandom& rng);
// count distinct ETF names.
std::vector<std::u16string> EtfNames(int count, SimRandom& rng);
// A short news headline about a company, for the news-driven screen.
std::u16string NewsHeadline(SimRandom& rng);

}  // namespace velloran::server
