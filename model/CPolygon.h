// A polygon pour: a closed outline of tracks and arcs filled with a hatch of tracks.
#pragma once

#include "CEntity.h"

#include <vector>

class CPolygon : public CEntity {
public:
    // The fill list: copies of the outline segments, then the hatch tracks. Other
    // objects cut their area out of it through their ClipHatch operation.
    std::vector<CEntity*>& GetHatchList() { return m_fill; }
    double GetHatchParam() const { return m_hatchGrid; }

protected:
    std::vector<CEntity*> m_fill;    // owned
    std::vector<CEntity*> m_outline; // owned
    int m_hatchStyle = 1;
    double m_hatchGrid = 12.0;
};
