import os
import sys

import numpy as np

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "python"))


def textured(height, width, seed=7):
    """Grey noise: no place of it resembles another."""
    return np.random.default_rng(seed).integers(0, 256, (height, width), dtype=np.uint8)
