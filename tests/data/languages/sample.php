<?php
declare(strict_types=1);

/*
 * Slugs for page titles.
 */
function slug(string $title): string
{
    // Lower case, dashes between words.
    return trim(preg_replace('/[^a-z0-9]+/', '-', strtolower($title)), '-');
}
