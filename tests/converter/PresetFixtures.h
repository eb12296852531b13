#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

// Small preset and rules files written on the spot.
namespace PresetFixtures {

inline QString write(const QString &dir, const QString &name, const QByteArray &content)
{
    const QString path = QDir(dir).filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    f.write(content);
    return path;
}

// A built-in file with two categories and an MP4, an MP3 and a WebM preset.
inline QByteArray builtIn()
{
    return R"(<?xml version="1.0"?>
<List defaultFormat="MP4" defaultAudioFormat="MP3">
  <category id="1" title="Video" pixId="catVideo"/>
  <!-- a comment between elements is skipped -->
  <category id="8" title="Audio" pixId="catAudio"/>
  <Format id="1" categoryid="1" FourCC="mp4" Ext="mp4" pixId="fmtMP4">
    <Title>MP4</Title>
    <VideoEncoders default="avc1">avc1,mp4v</VideoEncoders>
    <AudioEncoders default="mp4a">mp4a</AudioEncoders>
    <Resolution default="1280*720" custom="0">640*480,1280*720</Resolution>
    <FrameRate default="23.976" custom="0">23.976,25,29.97</FrameRate>
    <VideoBitrate default="1500" custom="0">800,1500</VideoBitrate>
    <AudioBitrate default="128" custom="0">96,128</AudioBitrate>
    <SampleRate default="44100">44100,48000</SampleRate>
    <Channel default="2">1,2</Channel>
  </Format>
  <Format id="2" categoryid="8" FourCC="mp3" Ext="mp3" DisableVideo="YES">
    <Title>MP3</Title>
    <AudioEncoders default=".mp3">.mp3</AudioEncoders>
    <AudioBitrate default="192">128,192</AudioBitrate>
    <SampleRate default="44100">44100</SampleRate>
    <Channel default="2">2</Channel>
  </Format>
  <Format id="3" categoryid="1" FourCC="webm" Ext="webm">
    <Title>WebM</Title>
    <VideoEncoders default="VP90">VP90,VP80</VideoEncoders>
    <AudioEncoders default="opus">opus</AudioEncoders>
  </Format>
</List>
)";
}

// The output-format sheet's catalogue: MP4 (for iTunes, with a rule on the sample rate), MKV
// with two video encoders and one channel count, and MP3 in the audio category.
inline QByteArray sheetCatalogue()
{
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<FormatList defaultFormat="MP4" defaultAudioFormat="MP3">
  <category id="1" title="General Video" pixId="catVideo"/>
  <category id="8" title="Audio" pixId="catAudio"/>
  <Format id="1" categoryid="1" pixId="fmtMP4" Ext="mp4" FourCC="mp4" toiTunes="1">
    <Title>MP4</Title>
    <VideoEncoders default="avc1">avc1</VideoEncoders>
    <AudioEncoders default="mp4a">mp4a</AudioEncoders>
    <Resolution default="1280*720">640*360,1280*720</Resolution>
    <FrameRate default="29.97">25,29.97</FrameRate>
    <VideoBitrate default="1500">1000,1500</VideoBitrate>
    <AudioBitrate default="128">128,192</AudioBitrate>
    <SampleRate default="44100">44100,48000</SampleRate>
    <Channel default="2">1,2</Channel>
    <Limits>
      <Rule SampleRate="48000"><AudioBitrate default="192">128,192</AudioBitrate></Rule>
    </Limits>
  </Format>
  <Format id="7" categoryid="1" pixId="fmtMKV" Ext="mkv" FourCC="mkv">
    <Title>MKV (Matroska)</Title>
    <VideoEncoders default="avc1">avc1,mp4v</VideoEncoders>
    <AudioEncoders default="mp4a">mp4a</AudioEncoders>
    <Resolution default="1920*1080">1920*1080</Resolution>
    <FrameRate default="25">25</FrameRate>
    <VideoBitrate default="4000">4000</VideoBitrate>
    <AudioBitrate default="192">192</AudioBitrate>
    <SampleRate default="48000">48000</SampleRate>
    <Channel default="2">6</Channel>
  </Format>
  <Format id="100" categoryid="8" pixId="audMP3" Ext="mp3" FourCC="mp3" DisableVideo="YES">
    <Title>MP3</Title>
    <AudioEncoders default=".mp3">.mp3</AudioEncoders>
    <AudioBitrate default="320">128,320</AudioBitrate>
    <SampleRate default="44100">44100</SampleRate>
    <Channel default="2">2</Channel>
  </Format>
</FormatList>
)";
}

} // namespace PresetFixtures
