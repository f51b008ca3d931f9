#pragma once
// The sound graph: sources deliver blocks on demand (pull), processes wrap a
// source in a new one.  Every stage exchanges interleaved frames of 32-bit
// internal samples (16-bit full scale = +-2^19, a 16-bit value v is v << 4).
//
// Ownership: stages are shared by counted handles (LSoundSource); a chain lives
// exactly as long as somebody holds its last stage.  Stages are not locked: one
// chain is driven by one thread at a time, and a chain that changes threads does
// so under its owner's lock (the player's).  The count itself is atomic so that
// handing a handle over is always safe.
//
// Failure: a factory returns an empty handle or a stage with its error bit set;
// callers test both (usable()).  Nothing throws.
#include <atomic>
#include <cstdint>
#include <utility>

namespace typix {

// Peak level of a source that knows nothing better about its full scale.
inline constexpr int32_t kDefaultPeakLevel = 0x200000;  // 2097152

class LSoundSourceBase {
public:
    // Shared construction rules: rate <= 0 sets the error state and becomes
    // 44100; 0 channels (or more than 255) sets the error state and becomes 1.
    LSoundSourceBase(int32_t sampleRate, int32_t peakLevel, int channels);
    virtual ~LSoundSourceBase() = default;
    LSoundSourceBase(const LSoundSourceBase&) = delete;
    LSoundSourceBase& operator=(const LSoundSourceBase&) = delete;

    // Fills exactly frames * channels() samples.  Before the start and past the
    // end the source delivers silence and still advances its position.
    // Callers keep `frames` at or below 8192.
    virtual void read(int32_t* buffer, int32_t frames) = 0;
    virtual void setPosition(int32_t frame) { (void)frame; }
    virtual int32_t getPosition() = 0;
    virtual int32_t getLength() = 0;

    int32_t sampleRate() const { return sampleRate_; }
    int32_t peakLevel() const { return peakLevel_; }
    int channels() const { return channels_; }
    bool isError() const { return (flags_ & kErrorFlag) != 0; }

    // Intrusive count, used by LSoundSource only.
    void addRef() { refCount_.fetch_add(1, std::memory_order_relaxed); }
    bool release() { return refCount_.fetch_sub(1, std::memory_order_acq_rel) == 1; }

protected:
    static constexpr uint8_t kErrorFlag = 0x01;
    void setError() { flags_ |= kErrorFlag; }
    // For stages whose format changes after base construction (channel mixers,
    // converters).  Applies the shared rules again.
    void setFormat(int32_t sampleRate, int32_t peakLevel, int channels);

    int32_t sampleRate_;
    int32_t peakLevel_;
    uint8_t channels_;
    uint8_t flags_ = 0;

private:
    std::atomic<int32_t> refCount_{0};
};

// Counted handle to a source; may be empty.
class LSoundSource {
public:
    LSoundSource() = default;
    // Takes a freshly made source (count 0) or adds a reference to a shared one.
    explicit LSoundSource(LSoundSourceBase* source) : p_(source) { if (p_) p_->addRef(); }
    LSoundSource(const LSoundSource& o) : p_(o.p_) { if (p_) p_->addRef(); }
    LSoundSource(LSoundSource&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    LSoundSource& operator=(LSoundSource o) noexcept { std::swap(p_, o.p_); return *this; }
    ~LSoundSource() { reset(); }

    void reset() { if (p_ && p_->release()) delete p_; p_ = nullptr; }
    LSoundSourceBase* get() const { return p_; }
    LSoundSourceBase* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // Non-empty and not in the error state.
    bool usable() const { return p_ && !p_->isError(); }

    // Reading through a handle: an empty handle writes `frames` zero samples
    // (one channel assumed), otherwise the source's read.
    void read(int32_t* buffer, int32_t frames) const;

private:
    LSoundSourceBase* p_ = nullptr;
};

template <class T, class... Args>
LSoundSource makeSource(Args&&... args) { return LSoundSource(new T(std::forward<Args>(args)...)); }

// A source that reads from one inner source.  Copies rate, peak level and
// channels from it (44100, kDefaultPeakLevel, 1 when empty); an empty or failed
// inner source sets the error state.  Position and length forward to the inner
// source (0 when it is empty).
class LSoundProcessBase : public LSoundSourceBase {
public:
    explicit LSoundProcessBase(LSoundSource inner);
    void setPosition(int32_t frame) override;
    int32_t getPosition() override;
    int32_t getLength() override;
    const LSoundSource& inner() const { return inner_; }

protected:
    LSoundSource inner_;
};

// A parameter object that wraps a source in a new one.  Every process returns
// the input itself (one more reference) when it is empty or in the error state.
class LSoundProcess {
public:
    virtual ~LSoundProcess() = default;
    virtual LSoundSource apply(const LSoundSource& input) const = 0;
};

}  // namespace typix
