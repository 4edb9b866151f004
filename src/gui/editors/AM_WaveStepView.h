#pragma once
// What a multipoint editor calls on the step-order view linked to it: a
// wave's thumbnail is out of date, or the editor shows another wave.
//
// GUI thread only.

class AM_WaveStepView {
public:
    virtual void markWaveChanged(int step) = 0;
    virtual void setCurrentStep(int step) = 0;

protected:
    ~AM_WaveStepView() = default;
};
