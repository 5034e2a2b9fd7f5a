#include "screen/VtEmul.h"

TCustomVtEmul::TCustomVtEmul(QWidget* parent) : TBgCrt(parent), FVt(Screen()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    FVt.OnBeep = [this] {
        if (OnBeep) OnBeep(this);
    };
}
