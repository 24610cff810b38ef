// What an object tells whoever keeps track of where it is (the board's spatial index):
// that its box may have changed, or its selection. A notice only marks the object; the
// listener reads the new box when it next needs it, so a notice costs next to nothing
// and an object may send one before, during or after the change. Board thread only.
#pragma once

class CEntity;

class BoxListener
{
  public:
    virtual void BoxChanged(CEntity* entity) = 0;
    virtual void SelectionChanged(CEntity* entity) = 0;

  protected:
    ~BoxListener() = default;
};
