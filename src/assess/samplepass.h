#pragma once

// What the assessments' passes over a record share: the checks on their
// input, the mean, and one loop that filters one to three components a
// block of samples at a time and hands each block on, so that a set's
// components are followed together without keeping their filtered values.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

inline constexpr std::size_t passBlock = 1024;   // samples filtered at a time

// Throws AssessError unless `rate` is a number above `lowest` samples/s;
// `needs` says what needs that ("the 5.6 Hz high-pass").
void checkRate(double rate, double lowest, std::string_view needs);

// The 64-bit mean of samples in m/s. Throws AssessError when there are none
// or one is not a finite number.
double checkedMean(std::span<const float> samples);

// A sample in m/s as velocity in mm/s about the mean.
inline double millimetres(float value, double mean)
{
    return (static_cast<double>(value) - mean) * 1000;
}

template <std::size_t K>
using BlockOutputs = std::array<std::array<double, passBlock>, K>;

// Steps chains[k] (anything with double step(double)) over samples[k] in
// mm/s about means[k], all spans of one length, a block at a time. After
// each block: afterBlock(start, length, outputs, chains), with outputs[k][j]
// the output for sample start + j and the chains in their state before
// sample start + length.
template <class Chain, std::size_t K, class AfterBlock>
void runBlocks(std::array<Chain, K> &chains, const std::array<std::span<const float>, K> &samples,
               const std::array<double, K> &means, AfterBlock &&afterBlock)
{
    BlockOutputs<K> outputs;
    const std::size_t count = samples[0].size();
    for (std::size_t start = 0; start < count; start += passBlock) {
        const std::size_t length = count - start < passBlock ? count - start : passBlock;
        for (std::size_t k = 0; k < K; ++k) {
            // One chain at a time, its state in registers: three
            // interleaved would not fit and run slower.
            Chain local = chains[k];
            const float *in = samples[k].data() + start;
            for (std::size_t j = 0; j < length; ++j)
                outputs[k][j] = local.step(millimetres(in[j], means[k]));
            chains[k] = local;
        }
        afterBlock(static_cast<int64_t>(start), length, outputs, chains);
    }
}
