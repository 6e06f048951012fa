#include "GsmCodec.h"

#include <algorithm>
#include <gsm.h>

GsmCodec::GsmCodec()
    : state_(gsm_create())
{
}

GsmCodec::~GsmCodec()
{
    gsm_destroy(state_);
}

QByteArray GsmCodec::encode(const qint16* samples)
{
    gsm_signal in[FrameSamples];
    std::copy(samples, samples + FrameSamples, in);
    QByteArray frame(FrameBytes, '\0');
    gsm_encode(state_, in, reinterpret_cast<gsm_byte*>(frame.data()));
    return frame;
}

bool GsmCodec::decode(const char* frame, qint16* samples)
{
    gsm_byte in[FrameBytes];
    std::copy(frame, frame + FrameBytes, reinterpret_cast<char*>(in));
    gsm_signal out[FrameSamples];
    if (gsm_decode(state_, in, out) != 0) {
        std::fill(samples, samples + FrameSamples, 0);
        return false;
    }
    std::copy(out, out + FrameSamples, samples);
    return true;
}
