"""The frames given, saved by Pillow as an endlessly looping animated GIF (delay 10)."""
import sys

from PIL import Image

frames = [Image.open(path) for path in sys.argv[2:]]
frames[0].save(sys.argv[1], save_all=True, append_images=frames[1:], duration=100, loop=0)
