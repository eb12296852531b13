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

} // namespace PresetFixtures
