#include "dsp/SaturationStage.h"

namespace brumalux
{

SaturationStage::SaturationStage()
{
    Retune();
}

} // namespace brumalux
