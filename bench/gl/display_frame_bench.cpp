// One whole live frame of the sixteen-channel view, to glFinish, in an
// offscreen OpenGL context of the panel's size: a full ring at X-axis "500"
// (16 x 50 000 samples), layout "C", the default window's panel (1022 x 240).
// The frame built once and submitted with OpenGL 1.1 vertex arrays is measured
// beside the naive way, every vertex through glBegin/glVertex2f/glEnd, in the
// same run. Needs a display (run under xvfb-run for Mesa's software renderer).
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QSurfaceFormat>

#include <GL/gl.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

#include "display/gl/gl_frame_renderer.h"
#include "display/sixteen_channel_frame.h"

namespace {

constexpr int kChannels = ChartSnapshot::kChannels;
constexpr int kLength = ChartSnapshot::kLength;
constexpr int kPanelWidth = 1022;
constexpr int kPanelHeight = 240;

struct Rings {
    Rings() : storage(kChannels, std::vector<double>(kLength)) {
        std::mt19937 rng(2022);
        std::normal_distribution<double> noise(0.0, 0.015);
        for (int c = 0; c < kChannels; ++c) {
            for (int i = 0; i < kLength; ++i) {
                double v = noise(rng) + 0.03 * std::sin(2.0 * std::numbers::pi * i / (4000.0 + 300.0 * c));
                if ((i + 97 * c) % 1000 < 10) v -= 0.15;
                storage[c][i] = v;
            }
            table[c] = storage[c].data();
        }
    }
    ChartSnapshot snapshot() const {
        ChartSnapshot s;
        s.chAry = table.data();
        s.DrawChartMaxIndex = kLength;
        s.ring = true;
        s.tailA = 12345;
        s.DrawTyuu = true;
        return s;
    }
    std::vector<std::vector<double>> storage;
    std::array<const double*, kChannels> table{};
};

// The context and framebuffer stay current for the whole run.
struct Offscreen {
    Offscreen() {
        QSurfaceFormat f;
        f.setDepthBufferSize(16);
        surface.setFormat(f);
        surface.create();
        context.setFormat(f);
        if (!context.create() || !context.makeCurrent(&surface)) return;
        QOpenGLFramebufferObjectFormat ff;
        ff.setAttachment(QOpenGLFramebufferObject::Depth);
        fbo = std::make_unique<QOpenGLFramebufferObject>(kPanelWidth, kPanelHeight, ff);
        fbo->bind();
        glViewport(0, 0, kPanelWidth, kPanelHeight);
        std::printf("GL_RENDERER: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    }
    bool ok() const { return fbo && fbo->isValid(); }
    QOffscreenSurface surface;
    QOpenGLContext context;
    std::unique_ptr<QOpenGLFramebufferObject> fbo;
};

// Made in main after the application object and destroyed before it.
Offscreen* g_offscreen = nullptr;

Offscreen& offscreen() { return *g_offscreen; }

void frameToFinish(benchmark::State& state, Submission how) {
    if (!offscreen().ok()) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    static const Rings rings;
    const ChartSnapshot snap = rings.snapshot();
    SixteenChannelSettings settings;
    const ViewColors colors;
    DrawList list;
    for (auto _ : state) {
        buildChartFrame(list, settings, colors, snap, kPanelWidth, kPanelHeight, true);
        renderFrame(list, how);
        glFinish();
    }
}

// Build and hand-over only: what the window's thread spends before the
// rasteriser takes over (its backlog is drained outside the timing).
void handOver(benchmark::State& state) {
    if (!offscreen().ok()) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    static const Rings rings;
    const ChartSnapshot snap = rings.snapshot();
    SixteenChannelSettings settings;
    const ViewColors colors;
    DrawList list;
    for (auto _ : state) {
        buildChartFrame(list, settings, colors, snap, kPanelWidth, kPanelHeight, false);
        renderFrame(list, Submission::VertexArrays);
        state.PauseTiming();
        glFinish();
        state.ResumeTiming();
    }
}

void BM_FrameVertexArraysToFinish(benchmark::State& state) { frameToFinish(state, Submission::VertexArrays); }
void BM_FrameNaiveImmediateToFinish(benchmark::State& state) { frameToFinish(state, Submission::Immediate); }
void BM_FrameBuildAndHandOver(benchmark::State& state) { handOver(state); }

BENCHMARK(BM_FrameBuildAndHandOver)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_FrameVertexArraysToFinish)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_FrameNaiveImmediateToFinish)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    {
        Offscreen o;
        g_offscreen = &o;
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        g_offscreen = nullptr;
    }
    return 0;
}
