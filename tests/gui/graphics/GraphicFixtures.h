#pragma once
// Stand-ins for the graphics tests: a view manager's services with named
// colours, an edit-mode switch and the last info line; and a context that
// records what graphics and shapes draw.

#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_GuiObject.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class GraphicServices : public AM_GuiServices {
public:
    uint32_t newObjectId() override { return ++lastId; }
    AM_Colour* getColour(const char* name) override
    {
        auto found = colours.find(name);
        return found != colours.end() ? found->second.get() : nullptr;
    }
    bool isEditMode() const override { return editMode; }
    void showInfoLine(int line, AM_GuiObject* subject, const char* title, const char* text,
                      bool shown) override
    {
        infoLine = line;
        infoSubject = subject;
        infoTitle = title;
        infoText = text;
        infoShown = shown;
    }
    AM_Colour* addColour(const char* name, uint32_t packed)
    {
        auto& slot = colours[name];
        slot = std::make_unique<AM_Colour>(nullptr, name, packed);
        return slot.get();
    }

    uint32_t lastId = 0;
    bool editMode = false;
    std::map<std::string, std::unique_ptr<AM_Colour>> colours;
    int infoLine = -1;
    AM_GuiObject* infoSubject = nullptr;
    std::string infoTitle;
    std::string infoText;
    bool infoShown = true;
};

struct DrawCall {
    std::string what;
    std::vector<float> numbers;
    const void* graphic = nullptr;
};

class RecordingContext : public AM_Context {
public:
    void setColourFromArray(const float rgba[4]) override
    {
        calls.push_back({"colour", {rgba[0], rgba[1], rgba[2], rgba[3]}});
    }
    void setColour(float r, float g, float b, float a) override
    {
        calls.push_back({"colour", {r, g, b, a}});
    }
    void drawPolyline(const float[], int count, float width, bool closed) override
    {
        calls.push_back({"polyline", {float(count), width, closed ? 1.0f : 0.0f}});
    }
    void fillPolygon(const float points[], int count) override
    {
        calls.push_back({"polygon", {float(count), points[0], points[1]}});
    }
    void drawLine(const float p0[2], const float p1[2], float width) override
    {
        calls.push_back({"line", {p0[0], p0[1], p1[0], p1[1], width}});
    }
    void frameRect(const AM_Rect* r) override
    {
        calls.push_back({"frame", {r->x, r->y, r->w, r->h}});
    }
    void fillRect(const AM_Rect* r) override
    {
        calls.push_back({"fill", {r->x, r->y, r->w, r->h}});
    }
    void fillRingSegment(const float centre[2], float r1, float r2, float a0, float a1) override
    {
        calls.push_back({"ring", {centre[0], centre[1], r1, r2, a0, a1}});
    }
    void drawGraphic(AM_Graphic* g, const AM_Rect* r) override
    {
        calls.push_back({"graphic", {r->x, r->y, r->w, r->h}, g});
    }
    void drawGraphicRotated(AM_Graphic* g, const AM_Rect*, float angle, float alpha) override
    {
        calls.push_back({"rotated", {angle, alpha}, g});
    }

    std::vector<DrawCall> calls;
};
