#include "ui/scan_settings.h"

ScanSettingsRecord ScanSettings = {
    25, 0, 300, 0, 100, 100, 0, 0, 0, 0, 0, 1400, 0, 0, 0,
    200, 600, 200, 600, 400, 400, 0, 128, 300, 300, 0,
};

void DeriveEffectiveResolutions(ScanSettingsRecord &s)
{
    s.XEffective = static_cast<uint16_t>(uint32_t(s.Resolution) * s.XScaling / 100);
    s.YEffective = static_cast<uint16_t>(uint32_t(s.Resolution) * s.YScaling / 100);
}
