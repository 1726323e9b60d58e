// On Linux the SAPI classes are made of espeak-ng's voices.
#include "host/espeak/runtime.h"
#include "host/native.h"

namespace host::native {
namespace {

class EspeakRuntime : public SpeechRuntime {
public:
    explicit EspeakRuntime(Host& inner) : runtime_(inner) {}
    Host& host() override { return runtime_.host(); }
    bool register_classes(sapi::Factory& factory) override {
        return runtime_.register_classes(factory);
    }

private:
    espeak::Runtime runtime_;
};

}  // namespace

std::unique_ptr<SpeechRuntime> make_speech_runtime(Host& inner) {
    return std::make_unique<EspeakRuntime>(inner);
}

}  // namespace host::native
