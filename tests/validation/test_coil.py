"""Limpet coils, PD 5500 3.11.4 and EN 13445-3 8.5.3: generated coils,
standard pipes and formed, against the reference, every value and check of
the results record."""

import unittest

import compare


class CoilAgreesWithReference(unittest.TestCase):
    def test_pd5500_coils(self):
        compare.route_agrees(self, "coil", "PD5500")

    def test_en13445_coils(self):
        compare.route_agrees(self, "coil", "EN13445")

