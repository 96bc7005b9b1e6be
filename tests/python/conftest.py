import os
import sys

import numpy as np
import pytest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "python"))


@pytest.fixture(autouse=True)
def cache_home(tmp_path, monkeypatch):
    """Every test writes its caches into a folder of its own."""
    folder = tmp_path / "cache"
    monkeypatch.setenv("XDG_CACHE_HOME", str(folder))
    return folder


def textured(height, width, seed=7):
    """Grey noise: no place of it resembles another."""
    return np.random.default_rng(seed).integers(0, 256, (height, width), dtype=np.uint8)
