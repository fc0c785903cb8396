// A graph canvas that records every drawing call, for tests.
#pragma once

#include <cstdint>
#include <vector>

#include "graph_canvas.h"
#include "ktext.h"

namespace kadra {

class RecordingGraphCanvas : public GraphCanvas {
  public:
    enum class Op { Begin, End, Colour, MoveTo, LineTo, Text, CurveText, Hold };
    struct Call {
        Op op;
        int32_t x = 0;  // MoveTo/LineTo point; Text box left, top, right, bottom
        int32_t y = 0;
        int32_t right = 0;
        int32_t bottom = 0;
        uint32_t value = 0;  // Colour: the colour; Hold: milliseconds
        KText text;          // Text, CurveText
    };

    explicit RecordingGraphCanvas(GraphSize size = {436, 416}) : size_(size) {}

    GraphSize Begin() override {
        Push(Op::Begin);
        return size_;
    }
    void End() override { Push(Op::End); }
    void SetColour(uint32_t colour) override { Push(Op::Colour, 0, 0, 0, 0, colour); }
    void MoveTo(int32_t x, int32_t y) override { Push(Op::MoveTo, x, y); }
    void LineTo(int32_t x, int32_t y) override { Push(Op::LineTo, x, y); }
    void DrawText(const KText& text, int32_t left, int32_t top, int32_t right,
                  int32_t bottom) override {
        Push(Op::Text, left, top, right, bottom, 0, text);
    }
    void ShowCurveText(const KText& text) override { Push(Op::CurveText, 0, 0, 0, 0, 0, text); }
    void HoldCurve(uint32_t milliseconds) override { Push(Op::Hold, 0, 0, 0, 0, milliseconds); }

    // The calls of one kind, in order.
    std::vector<Call> Calls(Op op) const {
        std::vector<Call> out;
        for (const Call& c : calls)
            if (c.op == op) out.push_back(c);
        return out;
    }

    std::vector<Call> calls;

  private:
    void Push(Op op, int32_t x = 0, int32_t y = 0, int32_t right = 0, int32_t bottom = 0,
              uint32_t value = 0, const KText& text = {}) {
        calls.push_back(Call{op, x, y, right, bottom, value, text});
    }
    GraphSize size_;
};

}  // namespace kadra
