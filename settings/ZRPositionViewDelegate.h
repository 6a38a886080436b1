#pragma once

class ZRPositionView;

// Hears the position picker's changes made by the user (never those made in code).
class ZRPositionViewDelegate {
public:
    virtual ~ZRPositionViewDelegate() = default;
    virtual void positionViewDidChangePosition(ZRPositionView* picker) = 0;
};
