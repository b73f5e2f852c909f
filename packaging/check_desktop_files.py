#!/usr/bin/env python3
"""Checks that the desktop entry, the AppStream metadata, the icons and the screenshots
agree with each other and with the program: one ID everywhere, the release's version, the
icons at the sizes their names give, and every screenshot the metadata names lying in
resources/desktop/screenshots at the size the metadata says.

    check_desktop_files.py SOURCE_DIR APP_ID VERSION
"""

import os
import struct
import sys
import xml.etree.ElementTree as ET


def png_size(path):
    with open(path, 'rb') as f:
        head = f.read(24)
    if head[:8] != b'\x89PNG\r\n\x1a\n' or head[12:16] != b'IHDR':
        raise ValueError('%s is not a PNG file' % path)
    return struct.unpack('>II', head[16:24])


def main():
    source, app_id, version = sys.argv[1:4]
    desktop_dir = os.path.join(source, 'resources', 'desktop')
    problems = []

    def expect(condition, text):
        if not condition:
            problems.append(text)

    entry = {}
    with open(os.path.join(desktop_dir, app_id + '.desktop'), encoding='utf-8') as f:
        for line in f:
            if '=' in line:
                key, value = line.rstrip('\n').split('=', 1)
                entry[key] = value
    expect(entry.get('Icon') == app_id, 'desktop entry: Icon is not %s' % app_id)
    expect(entry.get('Exec') == 'dreambook', 'desktop entry: Exec is not dreambook')

    root = ET.parse(os.path.join(desktop_dir, app_id + '.metainfo.xml')).getroot()
    expect(root.findtext('id') == app_id, 'metainfo: id is not %s' % app_id)
    expect(root.findtext('launchable') == app_id + '.desktop',
           'metainfo: the launchable is not %s.desktop' % app_id)
    releases = [r.get('version') for r in root.iter('release')]
    expect(releases[:1] == [version], 'metainfo: the latest release is not %s' % version)

    images = list(root.iter('image'))
    expect(images, 'metainfo: no screenshots')
    for image in images:
        url = image.text.strip()
        expect(url.startswith('https://') and '/%s/' % version in url,
               'metainfo: %s is not an https address under the release %s' % (url, version))
        path = os.path.join(desktop_dir, 'screenshots', url.rsplit('/', 1)[1])
        if not os.path.isfile(path):
            problems.append('metainfo: %s is not in resources/desktop/screenshots' % url)
            continue
        size = (int(image.get('width')), int(image.get('height')))
        expect(png_size(path) == size, 'metainfo: %s is %dx%d, not %dx%d'
               % ((path,) + png_size(path) + size))

    for size in (16, 24, 32, 48, 64, 128, 256):
        path = os.path.join(source, 'resources', 'icon', 'icon-%d.png' % size)
        expect(png_size(path) == (size, size), '%s is not %dx%d' % (path, size, size))

    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
