#pragma once

#include <QByteArray>
#include <QtGlobal>

struct gsm_state;

// Full-rate GSM 06.10 through Debian's libgsm: 160 samples (20 ms at 8 kHz) to 33 bytes and back. Each
// direction of each QSO keeps its own state, as the codec predicts from the frames before.
class GsmCodec
{
public:
    static constexpr int FrameSamples = 160;
    static constexpr int FrameBytes = 33;

    GsmCodec();
    ~GsmCodec();
    GsmCodec(const GsmCodec&) = delete;
    GsmCodec& operator=(const GsmCodec&) = delete;

    QByteArray encode(const qint16* samples);
    // False for a frame the codec refuses (its signature nibble is wrong); the samples are then silence.
    bool decode(const char* frame, qint16* samples);

private:
    gsm_state* state_;
};
