#pragma once

#include <array>
#include <cstdint>
#include <vector>

// Everything one analysis session holds: the loaded record, the selected
// segment, the segment's spectrum and the spectrum cursor. Plain data; the
// main window owns one and its handlers read and write it directly.
// Velocities are in m/s, levels in dB.
struct Session {
    // The record. samples and slowLevel have entries 0..sampleCount; entry 0
    // is never written and holds 0, the record occupies 1..sampleCount.
    int32_t sampleCount = 0;
    int32_t sampleRate = 0;          // samples per second
    std::vector<float> samples;      // mean removed, m/s
    std::vector<float> slowLevel;    // running slow level, dB (-inf while silent)
    float peakAmplitude = 0;         // largest |sample| of the whole record
    float lawMaxSlow = 0;            // largest slow level of record or segment, >= 0

    // The selection. Without a segment startSample is 0 and endSample is
    // sampleCount; with one, 1 <= startSample <= endSample <= sampleCount.
    int32_t startSample = 0;
    int32_t endSample = 0;
    bool hasSegment = false;
    bool isDragging = false;
    int32_t dragLineX = 0;           // moving edge of the band as last drawn

    // The spectrum of the segment; line k is k * sampleRate / 2048 Hz.
    std::array<float, 1024> spectrum{};
    float spectrumPeak = 0;
    int16_t cursorBin = 0;           // 0..1023
    float cursorValue = 0;           // spectrum[cursorBin] as last shown
    bool cursorShown = false;
};
