#include "core/RaschetData.h"

namespace kiv {

namespace {
double RaschetData::*member(Input in) {
    switch (in) {
    case Input::S: return &RaschetData::S;
    case Input::L1: return &RaschetData::L1;
    case Input::L2: return &RaschetData::L2;
    case Input::H: return &RaschetData::H;
    case Input::FalthP1: return &RaschetData::FalthP1;
    case Input::FalthP2: return &RaschetData::FalthP2;
    case Input::AllP1: return &RaschetData::AllP1;
    case Input::AllP2: return &RaschetData::AllP2;
    case Input::AllD: return &RaschetData::AllD;
    }
    return &RaschetData::S; // unreachable: every enumerator is listed above
}
} // namespace

double& Field(RaschetData& d, Input in) { return d.*member(in); }
double Field(const RaschetData& d, Input in) { return d.*member(in); }

} // namespace kiv
