#include "ModelSetup.h"

#include "CArc.h"
#include "CCircle.h"
#include "CComponent.h"
#include "CEntity.h"
#include "CFillArea.h"
#include "CFreePad.h"
#include "CLine.h"
#include "CPolygon.h"
#include "CRectAngle.h"
#include "CRound.h"
#include "CStrokeFont.h"
#include "CTxtTag.h"
#include "CViaPad.h"

void RegisterModelClasses()
{
    CRuntimeClass::Register(RUNTIME_CLASS(CEntity));
    CRuntimeClass::Register(RUNTIME_CLASS(CLine));
    CRuntimeClass::Register(RUNTIME_CLASS(CArc));
    CRuntimeClass::Register(RUNTIME_CLASS(CCircle));
    CRuntimeClass::Register(RUNTIME_CLASS(CRectAngle));
    CRuntimeClass::Register(RUNTIME_CLASS(CRound));
    CRuntimeClass::Register(RUNTIME_CLASS(CFillArea));
    CRuntimeClass::Register(RUNTIME_CLASS(CPolygon));
    CRuntimeClass::Register(RUNTIME_CLASS(CFreePad));
    CRuntimeClass::Register(RUNTIME_CLASS(CViaPad));
    CRuntimeClass::Register(RUNTIME_CLASS(CComponent));
    CRuntimeClass::Register(RUNTIME_CLASS(CTxtTag));
    RegisterStrokeFontData();
}

namespace
{

void ResetPrototype(CEntity& prototype)
{
    prototype.Reset();
    if (prototype.IsSelected())
        prototype.ToggleSelect();
}

} // namespace

void ResetModelPrototypes()
{
    ResetPrototype(theDefaultLine);
    ResetPrototype(thePrototypeArc);
    ResetPrototype(thePrototypeFillArea);
    ResetPrototype(thePrototypePolygon);
    ResetPrototype(thePrototypeFreePad);
    ResetPrototype(thePrototypeViaPad);
    ResetPrototype(thePrototypeTxtTag);
}
