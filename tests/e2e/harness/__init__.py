"""Helpers that run the Windows program under Wine against the reference service."""
