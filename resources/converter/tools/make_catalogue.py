#!/usr/bin/env python3
"""Writes the converter's preset catalogue (Format.std) and fitting rules (ParamterRules_Std.plist).

Every container and codec used here is one that Debian's FFmpeg can write; a test checks each
preset against the installed FFmpeg. Run: python3 resources/converter/tools/make_catalogue.py
"""
import os
from xml.sax.saxutils import escape, quoteattr

OUT = os.path.normpath(os.path.join(os.path.dirname(__file__), '..'))

CATEGORIES = [
    (1, 'General Video', 'catVideo'),
    (2, 'HD Video', 'catHD'),
    (17, 'Web Video', 'catWeb'),
    (8, 'Audio', 'catAudio'),
    (3, 'Apple Devices', 'catApple'),
    (4, 'Android Devices', 'catAndroid'),
    (5, 'Game Consoles', 'catGame'),
    (6, 'Editing', 'catEdit'),
]

RES_SD = '320*240,480*360,640*480,720*480,720*576'
RES_HD = '640*360,854*480,1280*720,1920*1080'
RES_ALL = '320*240,480*360,640*360,640*480,720*480,854*480,1280*720,1920*1080,2560*1440,3840*2160'
FPS = '0,15,23.976,24,25,29.97,30,50,59.94,60'
FPS_LOW = '0,15,23.976,24,25,29.97,30'
VBR = '500,800,1000,1500,2000,3000,4000,6000,8000,12000'
ABR = '64,96,128,160,192,256,320'
SR = '22050,32000,44100,48000'
CH = '1,2'
CH6 = '1,2,6'

# (id, category, title, formal, pix, ext, fourcc, venc, aenc, defaults, extra)
# defaults: dict of list key -> (list, default)
def video(res=RES_HD, dres='1280*720', fps=FPS_LOW, dfps='29.97', vbr=VBR, dvbr='2000', abr=ABR, dabr='128',
          sr=SR, dsr='44100', ch=CH, dch='2'):
    return {'Resolution': (res, dres), 'FrameRate': (fps, dfps), 'VideoBitrate': (vbr, dvbr),
            'AudioBitrate': (abr, dabr), 'SampleRate': (sr, dsr), 'Channel': (ch, dch)}

def audio(abr=ABR, dabr='192', sr=SR, dsr='44100', ch=CH, dch='2'):
    d = {'SampleRate': (sr, dsr), 'Channel': (ch, dch)}
    if abr is not None:
        d['AudioBitrate'] = (abr, dabr)
    return d

PRESETS = [
    # General video
    (1, 1, 'MP4', 'MP4', 'fmtMP4', 'mp4', 'mp4', 'avc1,mp4v', 'mp4a', video(RES_ALL), {'toiTunes': '1'}),
    (2, 1, 'MOV', 'MOV', 'fmtMOV', 'mov', 'mov', 'avc1,mp4v', 'mp4a', video(RES_ALL), {'toiTunes': '1'}),
    (3, 1, 'MKV', 'MKV', 'fmtMKV', 'mkv', 'mkv', 'avc1,hvc1,VP90', 'mp4a,vorb,opus', video(RES_ALL), {}),
    (4, 1, 'AVI', 'AVI', 'fmtAVI', 'avi', 'avi', 'XVID,mp4v,mjpg', '.mp3,ac-3', video(RES_SD, '640*480', dvbr='1500'), {}),
    (5, 1, 'WMV', 'WMV', 'fmtWMV', 'wmv', 'wmv', 'WMV2,WMV1', 'wma2', video(RES_SD, '640*480', dvbr='1500'), {}),
    (6, 1, 'MPEG-2', 'MPEG-2', 'fmtMPG', 'mpg', 'mpg', 'mpg2', 'mp2', video('352*288,720*480,720*576', '720*576', '23.976,24,25,29.97,30', '25', dvbr='4000', abr='128,192,256,384', dabr='192', sr='44100,48000', dsr='48000'), {}),
    (7, 1, 'MPEG-1', 'MPEG-1', 'fmtMPG1', 'mpg', 'mpg', 'mpg1', 'mp2', video('320*240,352*240,352*288', '352*288', '23.976,24,25,29.97,30', '25', vbr='500,800,1150,1500', dvbr='1150', abr='128,192,224', dabr='224', sr='44100,48000'), {}),
    (8, 1, 'TS', 'TS', 'fmtTS', 'ts', 'ts', 'avc1,mpg2', 'mp4a,ac-3', video(RES_HD), {}),
    (9, 1, '3GP', '3GP', 'fmt3GP', '3gp', '3gp', 'mp4v,avc1', 'mp4a', video('176*144,320*240,352*288', '320*240', '0,15,24,25,30', '15', vbr='128,256,384,512', dvbr='384', abr='32,64,96', dabr='64', sr='22050,44100', dsr='22050', ch='1,2', dch='1'), {}),
    # HD video
    (20, 2, 'HD MP4', 'HD MP4', 'fmtHDMP4', 'mp4', 'mp4', 'avc1', 'mp4a', video('1280*720,1920*1080', '1920*1080', FPS, '29.97', '4000,6000,8000,12000', '8000', dabr='192'), {}),
    (21, 2, 'HEVC MP4', 'HEVC MP4', 'fmtHEVC', 'mp4', 'mp4', 'hvc1', 'mp4a', video('1280*720,1920*1080,3840*2160', '1920*1080', FPS, '29.97', '2000,4000,6000,10000', '4000', dabr='192'), {}),
    (22, 2, 'HD MKV', 'HD MKV', 'fmtHDMKV', 'mkv', 'mkv', 'avc1', 'ac-3,mp4a', video('1280*720,1920*1080', '1920*1080', FPS, '29.97', '4000,6000,8000,12000', '8000', ch=CH6, dabr='192', sr='48000', dsr='48000'), {}),
    (23, 2, 'HD TS', 'HD TS', 'fmtHDTS', 'ts', 'ts', 'avc1', 'ac-3', video('1280*720,1920*1080', '1920*1080', FPS, '29.97', '4000,6000,8000', '6000', ch=CH6, abr='192,256,384', dabr='384', sr='48000', dsr='48000'), {}),
    # Web
    (40, 17, 'WebM', 'WebM', 'fmtWebM', 'webm', 'webm', 'VP90,VP80', 'opus,vorb', video(RES_HD, '1280*720', dvbr='1500', sr='48000', dsr='48000'), {}),
    (41, 17, 'YouTube', 'YouTube', 'fmtYouTube', 'mp4', 'mp4', 'avc1', 'mp4a', video(RES_HD, '1920*1080', FPS, '29.97', dvbr='8000', dabr='192', sr='44100,48000', dsr='48000'), {}),
    (42, 17, 'FLV', 'FLV', 'fmtFLV', 'flv', 'flv', 'FLV1,avc1', '.mp3,mp4a', video('320*240,480*360,640*480', '640*480', FPS_LOW, '25', dvbr='800', sr='22050,44100', dsr='44100'), {}),
    # Devices
    (60, 3, 'iPhone', 'iPhone', 'devIPhone', 'm4v', 'm4v', 'avc1', 'mp4a', video(RES_HD, '1280*720', FPS_LOW, '29.97', dvbr='2000'), {'toiTunes': '1'}),
    (61, 3, 'iPad', 'iPad', 'devIPad', 'm4v', 'm4v', 'avc1', 'mp4a', video(RES_HD, '1920*1080', FPS_LOW, '29.97', dvbr='4000'), {'toiTunes': '1'}),
    (62, 3, 'Apple TV', 'Apple TV', 'devAppleTV', 'm4v', 'm4v', 'avc1', 'mp4a,ac-3', video(RES_HD, '1920*1080', FPS_LOW, '29.97', dvbr='6000', ch=CH6), {'toiTunes': '1'}),
    (70, 4, 'Android Phone', 'Android Phone', 'devAndroid', 'mp4', 'mp4', 'avc1', 'mp4a', video(RES_HD, '1280*720', FPS_LOW, '29.97', dvbr='2000'), {}),
    (71, 4, 'Android Tablet', 'Android Tablet', 'devTablet', 'mp4', 'mp4', 'avc1', 'mp4a', video(RES_HD, '1920*1080', FPS_LOW, '29.97', dvbr='4000'), {}),
    (80, 5, 'Game Console', 'Game Console', 'devConsole', 'mp4', 'mp4', 'avc1', 'mp4a', video(RES_HD, '1920*1080', FPS_LOW, '29.97', dvbr='6000'), {}),
    (90, 6, 'ProRes', 'ProRes', 'fmtProRes', 'mov', 'mov', 'apcn', 'sowt', video('1280*720,1920*1080', '1920*1080', FPS, '29.97', '', '', abr='', sr='48000', dsr='48000'), {}),
    (91, 6, 'Motion JPEG', 'Motion JPEG', 'fmtMJPEG', 'avi', 'avi', 'mjpg', 'sowt', video(RES_SD, '640*480', FPS_LOW, '25', '4000,8000,12000', '8000', abr=''), {}),
    # Audio
    (100, 8, 'MP3', 'MP3', 'audMP3', 'mp3', 'mp3', '', '.mp3', audio(dabr='192'), {'DisableVideo': 'YES'}),
    (101, 8, 'M4A', 'M4A', 'audM4A', 'm4a', 'm4a', '', 'mp4a', audio(dabr='192'), {'DisableVideo': 'YES', 'toiTunes': '1'}),
    (102, 8, 'AAC', 'AAC', 'audAAC', 'aac', 'aac', '', 'mp4a', audio(dabr='160'), {'DisableVideo': 'YES'}),
    (103, 8, 'WAV', 'WAV', 'audWAV', 'wav', 'wav', '', 'sowt', audio(None, sr='22050,44100,48000'), {'DisableVideo': 'YES'}),
    (104, 8, 'FLAC', 'FLAC', 'audFLAC', 'flac', 'flac', '', 'flac', audio(None, sr='44100,48000'), {'DisableVideo': 'YES'}),
    (105, 8, 'OGG', 'OGG', 'audOGG', 'ogg', 'ogg', '', 'vorb', audio(dabr='160'), {'DisableVideo': 'YES'}),
    (106, 8, 'AC3', 'AC3', 'audAC3', 'ac3', 'ac3', '', 'ac-3', audio('128,192,256,384,448', '384', sr='44100,48000', dsr='48000', ch=CH6, dch='2'), {'DisableVideo': 'YES'}),
    (107, 8, 'AIFF', 'AIFF', 'audAIFF', 'aiff', 'aiff', '', 'twos', audio(None), {'DisableVideo': 'YES'}),
    (108, 8, 'WMA', 'WMA', 'audWMA', 'wma', 'wma', '', 'wma2', audio('64,96,128,160,192', '128'), {'DisableVideo': 'YES'}),
    (109, 8, 'M4R Ringtone', 'M4R', 'audM4R', 'm4r', 'm4r', '', 'mp4a', audio(dabr='128'), {'DisableVideo': 'YES', 'toiTunes': '1'}),
    (110, 8, 'Opus', 'Opus', 'audOpus', 'mka', 'mka', '', 'opus', audio('64,96,128,160', '128', sr='48000', dsr='48000'), {'DisableVideo': 'YES'}),
    (111, 8, 'MP2', 'MP2', 'audMP2', 'mp2', 'mp2', '', 'mp2', audio('128,192,256,384', '192'), {'DisableVideo': 'YES'}),
]

# Rules that narrow choices once a value is fixed (conditions compare the encoding dictionary).
LIMITS = {
    'MP4': [({'VideoEncoder': 'mp4v'}, [('VideoBitrate', '500,800,1000,1500,2000,3000', '1500', None),
                                          ('Resolution', RES_SD + ',1280*720', '640*480', None)])],
    'MKV': [({'VideoEncoder': 'hvc1'}, [('VideoBitrate', '1000,2000,4000,6000', '2000', None)])],
    'WebM': [({'VideoEncoder': 'VP80'}, [('Resolution', RES_SD + ',1280*720', '640*480', None)])],
    'FLV': [({'VideoEncoder': 'FLV1'}, [('Resolution', '320*240,480*360,640*480', '480*360', None)])],
    '3GP': [({'AudioEncoder': 'mp4a'}, [('SampleRate', '22050,44100', '22050', None)])],
}

def format_element(p):
    pid, cat, title, formal, pix, ext, fourcc, venc, aenc, lists, extra = p
    attrs = {'id': str(pid), 'categoryid': str(cat), 'pixId': pix, 'Ext': ext, 'FourCC': fourcc}
    attrs.update(extra)
    head = '  <Format ' + ' '.join('%s=%s' % (k, quoteattr(v)) for k, v in attrs.items()) + '>'
    lines = [head, '    <Title>%s</Title>' % escape(title), '    <FormalTitleIDTitle>%s</FormalTitleIDTitle>' % escape(formal),
             '    <Description>%s</Description>' % escape(description(cat, title))]
    if venc:
        lines.append('    <VideoEncoders default=%s>%s</VideoEncoders>' % (quoteattr(venc.split(',')[0]), escape(venc)))
    if aenc:
        lines.append('    <AudioEncoders default=%s>%s</AudioEncoders>' % (quoteattr(aenc.split(',')[0]), escape(aenc)))
    for key in ('Resolution', 'FrameRate', 'VideoBitrate', 'AudioBitrate', 'SampleRate', 'Channel'):
        if key in lists:
            values, default = lists[key]
            custom = ' custom="0"' if key in ('Resolution', 'FrameRate', 'VideoBitrate', 'AudioBitrate') else ''
            lines.append('    <%s default=%s%s>%s</%s>' % (key, quoteattr(default), custom, escape(values), key))
    if title in LIMITS:
        lines.append('    <Limits>')
        for cond, results in LIMITS[title]:
            ca = ' '.join('%s=%s' % (k, quoteattr(v)) for k, v in cond.items())
            lines.append('      <Rule %s>' % ca)
            for key, values, default, custom in results:
                lines.append('        <%s default=%s>%s</%s>' % (key, quoteattr(default), escape(values), key))
            lines.append('      </Rule>')
        lines.append('    </Limits>')
    lines.append('  </Format>')
    return '\n'.join(lines)

def description(cat, title):
    kinds = {1: 'Video for most players', 2: 'High-definition video', 17: 'Video for the web', 8: 'Audio only',
             3: 'Video for Apple devices', 4: 'Video for Android devices', 5: 'Video for game consoles',
             6: 'Video for editing'}
    return '%s (%s)' % (title, kinds[cat])

def write_catalogue():
    out = ['<?xml version="1.0" encoding="UTF-8"?>',
           '<FormatList defaultFormat="MP4" defaultAudioFormat="MP3">']
    for cid, title, pix in CATEGORIES:
        out.append('  <category id=%s title=%s pixId=%s/>' % (quoteattr(str(cid)), quoteattr(title), quoteattr(pix)))
    for p in PRESETS:
        out.append(format_element(p))
    out.append('</FormatList>')
    with open(os.path.join(OUT, 'Format.std'), 'w', encoding='utf-8') as f:
        f.write('\n'.join(out) + '\n')

# ---- Fitting rules ---------------------------------------------------------------------------

def video_rule(max_w, max_h, max_fps, bitrates=None, min_w=16, min_h=16, min_fps=1):
    r = {'FrameRates': ['%s,%s' % (min_fps, max_fps)],
         'Resolutions': ['%d,%d*%d,%d' % (min_w, max_w, min_h, max_h)]}
    if bitrates is not None:
        r['BitRates'] = bitrates
    return r

def audio_rule(rates, channels, bitrates):
    r = {'SampleRates': rates, 'Channels': channels}
    if bitrates is not None:
        r['BitRates'] = bitrates
    return r

SR_VIDEO = ['samplerate > 44100;48000', '44100']
SR_ANY = ['samplerate >= 48000;48000', 'samplerate >= 44100;44100', 'samplerate >= 32000;32000', '22050']
CH_STEREO = ['channel == 1;1', '2']
CH_SURROUND = ['channel > 2;6', 'channel == 1;1', '2']

def abr_ladder(top):
    """Audio bit rates in bit/s: the next standard rate at or above the source's, at most top."""
    steps = [96000, 128000, 160000, 192000, 256000, 320000, 384000, 448000]
    steps = [x for x in steps if x <= top]
    lines = []
    for lower, upper in reversed(list(zip(steps, steps[1:]))):
        lines.append('audiobitrate > %d;%d' % (lower, upper))
    lines.append('audiobitrate == 0;128000' if 128000 <= top else 'audiobitrate == 0;%d' % steps[-1])
    lines.append(str(steps[0]))
    return lines

RULES = {
    'Rule_H264_Common': {
        'Video': video_rule(1920, 1080, 60, ['width > 1280;3000,12000', 'width > 640;1000,6000', '300,3000']),
        'Audio': audio_rule(SR_VIDEO, CH_STEREO, abr_ladder(320000)),
    },
    'Rule_H264_4K': {
        'Video': video_rule(3840, 2160, 60),
        'Audio': audio_rule(SR_VIDEO, CH_STEREO, abr_ladder(320000)),
    },
    'Rule_Device': {
        'Video': video_rule(1920, 1080, 30, ['width > 1280;2500,6000', '600,2500']),
        'Audio': audio_rule(['44100'], ['2'], abr_ladder(256000)),
    },
    'Rule_SD': {
        'Video': video_rule(720, 576, 30, ['800,4000']),
        'Audio': audio_rule(SR_VIDEO, CH_STEREO, abr_ladder(320000)),
    },
    'Rule_Mpeg2': {
        'Video': video_rule(720, 576, 30, ['2000,8000'], min_fps=24),
        'Audio': audio_rule(['48000'], ['2'], abr_ladder(384000)),
    },
    'Rule_Mpeg1': {
        'Video': video_rule(352, 288, 30, ['500,1800'], min_fps=24),
        'Audio': audio_rule(['44100'], ['2'], ['192000']),
    },
    'Rule_Mobile': {
        'Video': video_rule(352, 288, 25, ['128,512']),
        'Audio': audio_rule(['22050'], ['1'], ['64000']),
    },
    'Rule_Web': {
        'Video': video_rule(1920, 1080, 60),
        'Audio': audio_rule(['48000'], CH_STEREO, abr_ladder(192000)),
    },
    'Rule_Flash': {
        'Video': video_rule(640, 480, 30, ['400,1500']),
        'Audio': audio_rule(['samplerate > 22050;44100', '22050'], ['2'], abr_ladder(192000)),
    },
    'Rule_Edit': {
        'Video': video_rule(1920, 1080, 60),
        'Audio': audio_rule(['48000'], ['2'], None),
    },
    'Rule_Surround': {
        'Video': video_rule(1920, 1080, 60),
        'Audio': audio_rule(['48000'], CH_SURROUND, abr_ladder(448000)),
    },
    'Rule_Audio': {
        'Audio': audio_rule(SR_ANY, CH_STEREO, abr_ladder(320000)),
    },
    'Rule_AudioLossless': {
        'Audio': audio_rule(SR_ANY, CH_STEREO, None),
    },
    'Rule_Opus': {
        'Audio': audio_rule(['48000'], CH_STEREO, abr_ladder(160000)),
    },
}

RULE_OF = {
    'MP4': 'Rule_H264_Common', 'MOV': 'Rule_H264_Common', 'MKV': 'Rule_H264_Common', 'AVI': 'Rule_SD',
    'WMV': 'Rule_SD', 'MPEG-2': 'Rule_Mpeg2', 'MPEG-1': 'Rule_Mpeg1', 'TS': 'Rule_H264_Common', '3GP': 'Rule_Mobile',
    'HD MP4': 'Rule_H264_Common', 'HEVC MP4': 'Rule_H264_4K', 'HD MKV': 'Rule_Surround', 'HD TS': 'Rule_Surround',
    'WebM': 'Rule_Web', 'YouTube': 'Rule_H264_Common', 'FLV': 'Rule_Flash',
    'iPhone': 'Rule_Device', 'iPad': 'Rule_Device', 'Apple TV': 'Rule_Device', 'Android Phone': 'Rule_Device',
    'Android Tablet': 'Rule_Device', 'Game Console': 'Rule_Device', 'ProRes': 'Rule_Edit', 'Motion JPEG': 'Rule_SD',
    'MP3': 'Rule_Audio', 'M4A': 'Rule_Audio', 'AAC': 'Rule_Audio', 'WAV': 'Rule_AudioLossless',
    'FLAC': 'Rule_AudioLossless', 'OGG': 'Rule_Audio', 'AC3': 'Rule_Audio', 'AIFF': 'Rule_AudioLossless',
    'WMA': 'Rule_Audio', 'M4R': 'Rule_Audio', 'Opus': 'Rule_Opus', 'MP2': 'Rule_Audio',
}

BITRATE_TABLE = {
    'FourCCTable': {'avc1': 'H264', 'H264': 'H264', 'hvc1': 'HEVC', 'hev1': 'HEVC', 'VP90': 'VP9', 'VP80': 'VP8',
                    'mp4v': 'MPEG4', 'XVID': 'MPEG4', 'DIVX': 'MPEG4', 'mpg2': 'MPEG2', 'mpg1': 'MPEG1',
                    'WMV2': 'WMV', 'WMV1': 'WMV', 'FLV1': 'FLV', 'theo': 'THEORA', 'mjpg': 'MJPEG',
                    'apcn': 'PRORES', 'AV01': 'AV1'},
    'ResolutionTable': {
        'H264': ['640*360*30;800', '854*480*30;1200', '1280*720*30;2500', '1920*1080*30;5000', '3840*2160*30;16000'],
        'HEVC': ['1280*720*30;1500', '1920*1080*30;3000', '3840*2160*30;10000'],
        'VP9': ['640*360*30;600', '1280*720*30;1800', '1920*1080*30;3500'],
        'VP8': ['640*360*30;800', '1280*720*30;2500', '1920*1080*30;5000'],
        'MPEG4': ['320*240*30;500', '640*480*30;1500', '1280*720*30;4000'],
        'MPEG2': ['720*480*30;5000', '720*576*25;5000', '1920*1080*30;15000'],
        'MPEG1': ['352*240*30;1150', '352*288*25;1150'],
        'WMV': ['320*240*30;600', '640*480*30;1800', '1280*720*30;4500'],
        'FLV': ['320*240*30;400', '640*480*30;1000'],
        'THEORA': ['320*240*30;500', '640*480*30;1500', '1280*720*30;4000'],
        'MJPEG': ['640*480*30;8000', '1280*720*30;20000'],
        'PRORES': ['1280*720*30;60000', '1920*1080*30;120000'],
        'AV1': ['1280*720*30;1500', '1920*1080*30;3000'],
    },
}

def plist_value(v, indent):
    pad = '\t' * indent
    if isinstance(v, dict):
        out = [pad + '<dict>']
        for k in sorted(v):
            out.append(pad + '\t<key>%s</key>' % escape(k))
            out.append(plist_value(v[k], indent + 1))
        out.append(pad + '</dict>')
        return '\n'.join(out)
    if isinstance(v, list):
        out = [pad + '<array>']
        for item in v:
            out.append(plist_value(item, indent + 1))
        out.append(pad + '</array>')
        return '\n'.join(out)
    return pad + '<string>%s</string>' % escape(v)

def write_rules():
    titles = {p[3] if p[3] else p[2] for p in PRESETS}
    missing = titles - set(RULE_OF)
    assert not missing, missing
    root = {'RuleKeyOfFileFormat': RULE_OF, 'Rules': RULES, 'BitrateControlTable': BITRATE_TABLE}
    text = ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">\n'
            '<plist version="1.0">\n' + plist_value(root, 0) + '\n</plist>\n')
    with open(os.path.join(OUT, 'ParamterRules_Std.plist'), 'w', encoding='utf-8') as f:
        f.write(text)

if __name__ == '__main__':
    write_catalogue()
    write_rules()
