#pragma once
// Sinks accept blocks of internal samples (push).  Counted like sources.
// A sink in the error state (for example: its file could not be created)
// still counts the frames written and discards them.
#include <atomic>
#include <cstdint>
#include <utility>

#include "sound/LSoundSource.h"

namespace typix {

class LSoundSinkBase {
public:
    // 0 channels (or more than 255) sets the error state and becomes 1.
    LSoundSinkBase(int32_t sampleRate, int32_t peakLevel, int channels);
    virtual ~LSoundSinkBase() = default;  // a file sink finishes its file here
    LSoundSinkBase(const LSoundSinkBase&) = delete;
    LSoundSinkBase& operator=(const LSoundSinkBase&) = delete;

    // Consumes frames * channels() samples (frames <= 8192).  Adds `frames` to
    // framesWritten() before anything else, also in the error state.
    virtual int32_t write(const int32_t* buffer, int32_t frames) = 0;
    // Shortens what has been written to `frames`, where the sink can.
    virtual void truncate(int32_t frames) { (void)frames; }

    int32_t framesWritten() const { return framesWritten_; }
    int32_t sampleRate() const { return sampleRate_; }
    int32_t peakLevel() const { return peakLevel_; }
    int channels() const { return channels_; }
    bool isError() const { return (flags_ & kErrorFlag) != 0; }

    void addRef() { refCount_.fetch_add(1, std::memory_order_relaxed); }
    bool release() { return refCount_.fetch_sub(1, std::memory_order_acq_rel) == 1; }

protected:
    static constexpr uint8_t kErrorFlag = 0x01;
    void setError() { flags_ |= kErrorFlag; }

    int32_t framesWritten_ = 0;
    int32_t sampleRate_;
    int32_t peakLevel_;
    uint8_t channels_;
    uint8_t flags_ = 0;

private:
    std::atomic<int32_t> refCount_{0};
};

class LSoundSink {
public:
    LSoundSink() = default;
    explicit LSoundSink(LSoundSinkBase* sink) : p_(sink) { if (p_) p_->addRef(); }
    LSoundSink(const LSoundSink& o) : p_(o.p_) { if (p_) p_->addRef(); }
    LSoundSink(LSoundSink&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    LSoundSink& operator=(LSoundSink o) noexcept { std::swap(p_, o.p_); return *this; }
    ~LSoundSink() { reset(); }

    void reset() { if (p_ && p_->release()) delete p_; p_ = nullptr; }
    LSoundSinkBase* get() const { return p_; }
    LSoundSinkBase* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    bool usable() const { return p_ && !p_->isError(); }

private:
    LSoundSinkBase* p_ = nullptr;
};

}  // namespace typix
