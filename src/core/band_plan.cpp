#include "core/band_plan.h"

namespace varnak {

namespace {
struct PlanRow {
  long long kHz;
  RigMode mode;
};
using enum RigMode;
// Lowest kHz of each segment, ascending.
constexpr PlanRow kBandPlan[] = {
    {1800, CW},     {1838, LSB},    {3500, CW},     {3600, LSB},    {7000, CW},     {7040, LSB},
    {10100, CW},    {14070, USB},   {18068, CW},    {18100, USB},   {21000, CW},    {21070, USB},
    {24890, CW},    {24920, USB},   {24929, CW},    {24931, USB},   {28000, CW},    {28225, USB},
    {29510, FM},    {50000, CW},    {50100, USB},   {51210, FM},    {144000, CW},   {144150, USB},
    {144400, CW},   {144500, USB},  {144800, FM},   {432000, CW},   {432150, USB},  {433000, FM},
    {1296000, CW},  {1296150, USB}, {1297000, FM}};
}  // namespace

RigMode BandPlanMode(long long kHz) {
  RigMode mode = AM;
  for (const PlanRow& row : kBandPlan) {
    if (row.kHz > kHz) break;
    mode = row.mode;
  }
  return mode;
}

}  // namespace varnak
