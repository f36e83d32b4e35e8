#include "dsp/SaturationStage.h"

SaturationStage::SaturationStage()
{
    Retune();
}
