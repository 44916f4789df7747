#!/usr/bin/env python3
"""Makes the decoder tests' images: raw straight-alpha RGBA references
written here, and the encoded files made from them by FFmpeg, a different
path than the gdk-pixbuf decoders under test. Run it in this folder."""
import subprocess

def write_raw(name, w, h, pixel):
    with open(name, "wb") as f:
        for y in range(h):
            for x in range(w):
                f.write(bytes(pixel(x, y)))

def opaque(x, y):
    # Four coloured blocks over a grey ramp: few colours, so a GIF palette
    # holds them exactly.
    if y < 16:
        return [(230, 40, 40, 255), (40, 200, 60, 255), (30, 60, 220, 255), (250, 220, 30, 255)][x // 12]
    g = x * 5
    return (g, g, g, 255)

def translucent(x, y):
    return (x * 8, 255 - y * 8, 128, min(255, (x + y) * 4))

def ffmpeg(*args):
    subprocess.run(["ffmpeg", "-loglevel", "error", "-y", *args], check=True)

write_raw("opaque.rgba", 48, 32, opaque)
write_raw("translucent.rgba", 32, 32, translucent)
raw = ["-f", "rawvideo", "-pix_fmt", "rgba", "-s"]
ffmpeg(*raw, "48x32", "-i", "opaque.rgba", "-frames:v", "1", "opaque.png")
ffmpeg(*raw, "48x32", "-i", "opaque.rgba", "-frames:v", "1", "-pix_fmt", "bgr24", "opaque.bmp")
ffmpeg(*raw, "48x32", "-i", "opaque.rgba", "-frames:v", "1", "-q:v", "2", "-pix_fmt", "yuvj444p", "opaque.jpg")
ffmpeg(*raw, "48x32", "-i", "opaque.rgba", "-frames:v", "1", "-vf",
       "split[a][b];[a]palettegen=reserve_transparent=0:stats_mode=full[p];[b][p]paletteuse=dither=none",
       "opaque.gif")
ffmpeg(*raw, "32x32", "-i", "translucent.rgba", "-frames:v", "1", "-pix_fmt", "rgba", "translucent.png")

# Three frames with their own delays; the second changes only a square, so
# the encoder stores a partial frame that must be composited.
frames = [
    lambda x, y: (220, 30, 30, 255),
    lambda x, y: (30, 200, 30, 255) if 4 <= x < 12 and 4 <= y < 12 else (220, 30, 30, 255),
    lambda x, y: (30, 30, 220, 255),
]
with open("anim.concat", "w") as f:
    for i, (frame, seconds) in enumerate(zip(frames, ["0.10", "0.25", "0.50"])):
        write_raw(f"anim{i}.rgba", 16, 16, frame)
        ffmpeg(*raw, "16x16", "-i", f"anim{i}.rgba", "-frames:v", "1", f"anim{i}.png")
        f.write(f"file 'anim{i}.png'\nduration {seconds}\n")
    f.write("file 'anim2.png'\n")
ffmpeg("-f", "concat", "-i", "anim.concat", "-vf",
       "split[a][b];[a]palettegen=reserve_transparent=0[p];[b][p]paletteuse=dither=none",
       "-fps_mode", "vfr", "anim.gif")
for i in range(3):
    subprocess.run(["rm", "-f", f"anim{i}.png"], check=True)
subprocess.run(["rm", "-f", "anim.concat"], check=True)
