#include "gui/controls/AM_View_DataGraph.h"

#include "foundation/AM_STD.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr const char* kTypeName = "DataGraph";
constexpr uint32_t kBlockTypes[] = {k_typeBinaryData};
constexpr uint32_t kMeterTypes[] = {k_meter};
const AM_PortDescriptor kPorts[] = {
    {0, "DataGraph Value", 1, kBlockTypes},
    {1, "Oscilloscope", 1, kBlockTypes},
    {2, "DoUpdate", 1, kMeterTypes},
};
constexpr char kColourNames[][kGuiNameBytes] = {"Background", "Border", "Value", "Value2"};
constexpr char kGraphicNames[][kGuiNameBytes] = {"DataGraphBackground"};
enum ColourSlot : int32_t { kBackground = 0, kBorder = 1, kValue = 2, kValue2 = 3 };

constexpr float kLevelStep = 0.003921569f; // 1 / 255
constexpr float kScopeStep = 0.0019569471f; // 1 / 511
constexpr size_t kCurveHeaderBytes = 8;

float sample(float v)
{
    return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f;
}

} // namespace

AM_View_DataGraph::AM_View_DataGraph(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "DataGraph %u", unsigned(getId()));
    setName(name);
    initControl(0, 3, kPorts, 0, nullptr, 4, kColourNames, 1, kGraphicNames, true);
    rebuildLevels();
}

AM_ViewControl* AM_View_DataGraph::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* graph = new AM_View_DataGraph(viewMan, bounds);
    graph->setFactory(&AM_View_DataGraph::create);
    return graph;
}

const char* AM_View_DataGraph::getTypeName() const
{
    return kTypeName;
}

const void* AM_View_DataGraph::getValuePointer(int32_t port)
{
    (void)port;
    return &valueCell_;
}

void AM_View_DataGraph::rebuildLevels()
{
    const float bottom = bounds_.y + bounds_.h;
    const float step = bounds_.h * kLevelStep;
    for (int i = 0; i < 256; ++i) {
        levelToY_[i] = bottom - static_cast<float>(i) * step;
    }
}

void AM_View_DataGraph::boundsChanged()
{
    rebuildLevels();
}

bool AM_View_DataGraph::onMouseDown(const float* point, uint32_t buttons)
{
    (void)point;
    (void)buttons;
    redraw();
    return false;
}

void AM_View_DataGraph::onTimer()
{
    const int32_t c = tickCountdown_;
    tickCountdown_ = c - 1;
    if (c < 0) {
        tickCountdown_ = tickPeriod_;
        redraw();
    }
    size_t bytes = 0;
    const void* update = fetchBlock(kUpdatePort, &bytes);
    if (update != nullptr && bytes >= sizeof(float)) {
        float v = 0.0f;
        std::memcpy(&v, update, sizeof v);
        if (v != 0.0f) {
            redraw();
        }
    }
}

bool AM_View_DataGraph::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                          const AM_MenuItem* item)
{
    if (menuId == kEditMenuId && valid && item != nullptr &&
        AM_menuCode(item->command) == kMenuCodeOwnCommand) {
        return true;
    }
    return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
}

const void* AM_View_DataGraph::fetchBlock(int32_t port, size_t* bytes)
{
    *bytes = 0;
    AM_PortRecord* record = getPort(port);
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    if (record == nullptr || record->parameter == nullptr || host == nullptr) {
        return nullptr;
    }
    const AM_ParamInfo* parameter = record->parameter;
    const int32_t index = static_cast<int32_t>(parameter->index) + record->indexOffset;
    const void* block = host->getParameterValue(index);
    if (block == nullptr) {
        return nullptr;
    }
    // A data block is as long as its parameter's maximum; a meter is a float.
    if (parameter->kind() == k_kindData) {
        const float size = parameter->max;
        *bytes = std::isfinite(size) && size > 0 ? static_cast<size_t>(size) : 0;
    } else {
        *bytes = sizeof(float);
    }
    return block;
}

bool AM_View_DataGraph::readCurveBlock(const void* block, size_t bytes, CurveBlock* out)
{
    *out = CurveBlock{};
    if (block == nullptr || bytes < kCurveHeaderBytes) {
        return false;
    }
    int32_t header[2];
    std::memcpy(header, block, sizeof header);
    const int32_t curves = std::min(header[0], kDrawnCurves);
    const int32_t points = header[1];
    if (curves < 1 || points < 2) {
        return false;
    }
    const uint64_t needed = kCurveHeaderBytes + uint64_t(curves) * uint64_t(points) * sizeof(float);
    if (needed > bytes) {
        return false;
    }
    out->curves = curves;
    out->points = points;
    out->values = reinterpret_cast<const float*>(static_cast<const uint8_t*>(block) +
                                                 kCurveHeaderBytes);
    return true;
}

void AM_View_DataGraph::draw(AM_Context* context)
{
    if (context == nullptr) {
        return;
    }
    if (AM_Graphic* graphic = getGraphic(0)) {
        graphic->draw(context, &bounds_, 1.0f);
    }
    if (AM_Colour* background = getColour(kBackground)) {
        context->setColourFromObject(background);
        context->fillRect(&bounds_);
    }
    if (AM_Colour* border = getColour(kBorder)) {
        context->setColourFromObject(border);
        const AM_Rect frame{bounds_.x + 0.5f, bounds_.y + 0.5f, bounds_.w - 1, bounds_.h - 1};
        context->frameRect(&frame);
    }
    if (getColour(kValue) == nullptr) {
        return;
    }
    if (drawCurves(context)) {
        drawScope(context);
    }
}

bool AM_View_DataGraph::drawCurves(AM_Context* context)
{
    const AM_PortRecord* port = getPort(kCurvePort);
    if (port == nullptr || port->parameter == nullptr) {
        return true;
    }
    size_t bytes = 0;
    const void* block = fetchBlock(kCurvePort, &bytes);
    if (block == nullptr) {
        return false;
    }
    CurveBlock curves;
    if (!readCurveBlock(block, bytes, &curves)) {
        return true;
    }
    const float left = bounds_.x + 2;
    const float top = bounds_.y + 2;
    const float width = bounds_.w - 4;
    const float height = bounds_.h - 4;
    const float step = width / static_cast<float>(curves.points - 1);
    std::vector<float> line(static_cast<size_t>(curves.points) * 2);
    for (int32_t k = 0; k < curves.curves; ++k) {
        AM_Colour* colour = getColour(k == 0 ? kValue : kValue2);
        if (colour == nullptr) {
            continue;
        }
        float v[1];
        for (int32_t i = 0; i < curves.points; ++i) {
            std::memcpy(v, curves.values + size_t(k) * size_t(curves.points) + size_t(i),
                        sizeof v);
            line[size_t(i) * 2] = left + static_cast<float>(i) * step;
            line[size_t(i) * 2 + 1] = top + (1.0f - sample(v[0])) * height;
        }
        context->setColourFromObject(colour);
        context->drawPolyline(line.data(), curves.points, 1.0f, false);
    }
    return true;
}

void AM_View_DataGraph::drawScope(AM_Context* context)
{
    size_t bytes = 0;
    const void* block = fetchBlock(kScopePort, &bytes);
    if (block == nullptr) {
        return;
    }
    if (bytes < kScopeBlockBytes) {
        AM_STD::printv("%s: oscilloscope block of %u bytes is too short\n", getName(),
                       unsigned(bytes));
        return;
    }
    const auto* bytesIn = static_cast<const uint8_t*>(block);
    const uint8_t* trace = bytesIn;
    const uint8_t* lower = bytesIn + kScopeSamples;
    const uint8_t* upper = bytesIn + 2 * kScopeSamples;
    const float left = bounds_.x + 4;
    const float step = (bounds_.w - 8) * kScopeStep;
    const float bottom = bounds_.y + bounds_.h;
    const float levelHeight = bounds_.h * kLevelStep;
    if (AM_Colour* envelope = getColour(kValue2)) {
        context->setColourFromObject(envelope);
        for (int32_t i = 0; i < kScopeSamples; ++i) {
            const float x = left + static_cast<float>(i) * step;
            const float from[2] = {x, bottom - static_cast<float>(lower[i]) * levelHeight};
            const float to[2] = {x, bottom - static_cast<float>(upper[i]) * levelHeight};
            context->drawLine(from, to, 1.0f);
        }
    }
    float line[2 * kScopeSamples];
    for (int32_t i = 0; i < kScopeSamples; ++i) {
        line[i * 2] = left + static_cast<float>(i) * step;
        line[i * 2 + 1] = levelToY_[trace[i]];
    }
    context->setColourFromObject(getColour(kValue));
    context->drawPolyline(line, kScopeSamples, 1.0f, false);
}
