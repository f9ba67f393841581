"""Helpers of the artwork generator (tools/make_art.py)."""
