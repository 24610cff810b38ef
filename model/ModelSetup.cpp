#include "ModelSetup.h"

#include "CArc.h"
#include "CCircle.h"
#include "CEntity.h"
#include "CLine.h"
#include "CRectAngle.h"
#include "CRound.h"

void RegisterModelClasses()
{
    CRuntimeClass::Register(RUNTIME_CLASS(CEntity));
    CRuntimeClass::Register(RUNTIME_CLASS(CLine));
    CRuntimeClass::Register(RUNTIME_CLASS(CArc));
    CRuntimeClass::Register(RUNTIME_CLASS(CCircle));
    CRuntimeClass::Register(RUNTIME_CLASS(CRectAngle));
    CRuntimeClass::Register(RUNTIME_CLASS(CRound));
}

namespace {

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
}
